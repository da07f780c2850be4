#include "maker/trvclnk/serialtransport.h"

#include "maker/trvclnk/linkerrors.h"

#include <algorithm>
#include <windows.h>

namespace vestan::trvclnk {

namespace {

// COM10 and above open only in the device namespace; COM1..COM9 work either way.
QString devicePath(const QString &device)
{
    if (device.startsWith(QStringLiteral("\\\\")))
        return device;
    return QStringLiteral("\\\\.\\") + device;
}

// A wait as the system takes it: MAXDWORD has a meaning of its own, and so
// has 0 for a read (no limit at all).
DWORD clampedWait(int timeoutMs)
{
    return DWORD(std::clamp(timeoutMs, 1, 0x7FFFFFFF));
}

} // namespace

struct SerialTransport::Port
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    // The waits last given to the system (these until the first), so that a
    // read or write with the same wait as the one before needs no further call.
    DWORD readWait = 1;
    DWORD writeWait = 1000;
    bool waitsSet = false;

    // Reads ask only for bytes the system holds, or for one byte with the
    // wait as the total time-out: both end as soon as the bytes are there, on
    // Windows and under Wine alike, and the thread sleeps in the system
    // meanwhile. The interval time-out's special cases are not used: Wine
    // does not honour them and every read would wait out its whole time-out.
    bool setWaits(int readWaitMs, int writeWaitMs)
    {
        const DWORD read = clampedWait(readWaitMs);
        const DWORD write = clampedWait(writeWaitMs);
        if (waitsSet && read == readWait && write == writeWait)
            return true;
        COMMTIMEOUTS timeouts{};
        timeouts.ReadTotalTimeoutConstant = read;
        timeouts.WriteTotalTimeoutConstant = write;
        if (!SetCommTimeouts(handle, &timeouts))
            return false;
        readWait = read;
        writeWait = write;
        waitsSet = true;
        return true;
    }
};

SerialTransport::SerialTransport() = default;

SerialTransport::~SerialTransport()
{
    close();
}

bool SerialTransport::open(const PortSettings &settings)
{
    close();
    failure_ = kOk;
    const QString path = devicePath(settings.device);
    HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // A port that another program has open answers "access denied".
        failure_ = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? kErrNoDevice
                   : code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION
                       ? kErrDeviceBusy
                       : kErrOpenFailed;
        return false;
    }
    port_ = std::make_unique<Port>();
    port_->handle = handle;
    if (!applySettings(settings)) {
        failure_ = kErrOpenFailed;
        close();
        return false;
    }
    PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    return true;
}

bool SerialTransport::applySettings(const PortSettings &settings)
{
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(port_->handle, &dcb))
        return false;
    dcb.BaudRate = settings.baud;
    dcb.ByteSize = BYTE(settings.dataBits);
    dcb.Parity = BYTE(settings.parityIndex());
    dcb.StopBits = settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = dcb.Parity != NOPARITY;
    // No flow control of either kind; DTR and RTS up, as a modem expects.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    return SetCommState(port_->handle, &dcb) != 0;
}

void SerialTransport::close()
{
    if (port_)
        CloseHandle(port_->handle);
    port_.reset();
}

bool SerialTransport::isOpen() const
{
    return port_ != nullptr; // made with the device's handle, dropped with it
}

ByteChannel::Status SerialTransport::write(const uint8_t *data, size_t size, int timeoutMs)
{
    if (!isOpen())
        return Status::Failed;
    const int64_t deadline = nowMs() + timeoutMs;
    size_t done = 0;
    while (done < size) {
        const int64_t left = deadline - nowMs();
        if (left <= 0)
            return Status::TimedOut;
        if (!port_->setWaits(int(port_->readWait), int(left)))
            return Status::Failed;
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(size - done, 1 << 20));
        if (!WriteFile(port_->handle, data + done, chunk, &written, nullptr))
            return Status::Failed;
        done += written;
    }
    return Status::Ok;
}

ByteChannel::Status SerialTransport::read(uint8_t *buffer, size_t capacity, int timeoutMs,
                                          size_t &received)
{
    received = 0;
    if (!isOpen())
        return Status::Failed;
    if (capacity == 0)
        return Status::TimedOut;
    if (timeoutMs > 0) {
        // One byte with the wait as its time-out: it comes as soon as it is
        // there, at once when it is there already.
        if (!port_->setWaits(timeoutMs, int(port_->writeWait)))
            return Status::Failed;
        DWORD first = 0;
        if (!ReadFile(port_->handle, buffer, 1, &first, nullptr))
            return Status::Failed;
        if (first == 0)
            return Status::TimedOut;
        received = 1;
    } else if (!port_->setWaits(int(port_->readWait), int(port_->writeWait))) {
        return Status::Failed;
    }
    COMSTAT state{};
    DWORD errors = 0;
    if (!ClearCommError(port_->handle, &errors, &state))
        return Status::Failed;
    // Bytes the system already holds come at once, whatever the time-out.
    const DWORD rest =
        DWORD(std::min<size_t>({capacity - received, size_t(state.cbInQue), 1 << 20}));
    if (rest > 0) {
        DWORD n = 0;
        if (!ReadFile(port_->handle, buffer + received, rest, &n, nullptr))
            return Status::Failed;
        received += size_t(n);
    }
    return received > 0 ? Status::Ok : Status::TimedOut;
}

void SerialTransport::discardInput()
{
    if (isOpen())
        PurgeComm(port_->handle, PURGE_RXABORT | PURGE_RXCLEAR);
}

} // namespace vestan::trvclnk
