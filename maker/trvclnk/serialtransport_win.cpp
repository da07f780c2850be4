#include "maker/trvclnk/serialtransport.h"

#include "maker/trvclnk/linkerrors.h"

#include <algorithm>
#include <windows.h>

namespace vestan::trvclnk {

struct SerialTransport::Port
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    // The time-outs last given to the system, so that a read or write with
    // the same wait as the one before needs no further call.
    COMMTIMEOUTS timeouts{};
    bool timeoutsSet = false;
};

namespace {

QString systemMessage(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = length > 0 ? QString::fromWCharArray(text, int(length)).trimmed()
                                 : QStringLiteral("system error %1").arg(code);
    if (text != nullptr)
        LocalFree(text);
    return message;
}

// COM10 and above open only in the device namespace; COM1..COM9 work either way.
QString devicePath(const QString &device)
{
    if (device.startsWith(QStringLiteral("\\\\")))
        return device;
    return QStringLiteral("\\\\.\\") + device;
}

BYTE toParity(char parity)
{
    switch (parity) {
    case 'E':
        return EVENPARITY;
    case 'O':
        return ODDPARITY;
    case 'M':
        return MARKPARITY;
    case 'S':
        return SPACEPARITY;
    default:
        return NOPARITY;
    }
}

DWORD clampedWait(int timeoutMs)
{
    // MAXDWORD has a meaning of its own to the system.
    return DWORD(std::clamp(timeoutMs, 0, 0x7FFFFFFF));
}

} // namespace

SerialTransport::SerialTransport()
{
    clock_.start();
}

SerialTransport::~SerialTransport()
{
    close();
}

bool SerialTransport::open(const PortSettings &settings)
{
    close();
    error_.clear();
    openFailure_ = kOk;
    const QString path = devicePath(settings.device);
    HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error_ = systemMessage(code);
        // A port that another program has open answers "access denied".
        openFailure_ = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? kErrNoDevice
                       : code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION
                           ? kErrDeviceBusy
                           : kErrOpenFailed;
        return false;
    }
    port_ = std::make_unique<Port>();
    port_->handle = handle;
    if (!applySettings(settings)) {
        error_ = systemMessage(GetLastError());
        openFailure_ = kErrOpenFailed;
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
    dcb.Parity = toParity(settings.parity);
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
    if (port_) {
        if (port_->handle != INVALID_HANDLE_VALUE)
            CloseHandle(port_->handle);
        port_.reset();
    }
}

bool SerialTransport::isOpen() const
{
    return port_ && port_->handle != INVALID_HANDLE_VALUE;
}

ByteChannel::Status SerialTransport::failed()
{
    error_ = systemMessage(GetLastError());
    return Status::Failed;
}

// Reads ask only for bytes the system holds, or for one byte with the wait
// as the total time-out: both end as soon as the bytes are there, on Windows
// and under Wine alike, and the thread sleeps in the system meanwhile. The
// interval time-out's special cases are not used: Wine does not honour them
// and every read would wait out its whole time-out. A read time-out is never
// 0, which would mean no limit at all.
static COMMTIMEOUTS timeoutsFor(int readWaitMs, int writeWaitMs)
{
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = 0;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = std::max<DWORD>(clampedWait(readWaitMs), 1);
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = std::max<DWORD>(clampedWait(writeWaitMs), 1);
    return t;
}

static bool setTimeouts(HANDLE handle, COMMTIMEOUTS &current, bool &set, const COMMTIMEOUTS &wanted)
{
    if (set && current.ReadTotalTimeoutConstant == wanted.ReadTotalTimeoutConstant &&
        current.WriteTotalTimeoutConstant == wanted.WriteTotalTimeoutConstant)
        return true;
    COMMTIMEOUTS copy = wanted;
    if (!SetCommTimeouts(handle, &copy))
        return false;
    current = wanted;
    set = true;
    return true;
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
        const int readWait = port_->timeoutsSet ? int(port_->timeouts.ReadTotalTimeoutConstant) : 1;
        if (!setTimeouts(port_->handle, port_->timeouts, port_->timeoutsSet,
                         timeoutsFor(readWait, int(left))))
            return failed();
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(size - done, 1 << 20));
        if (!WriteFile(port_->handle, data + done, chunk, &written, nullptr))
            return failed();
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
    const auto queued = [this](DWORD &count) {
        COMSTAT state{};
        DWORD errors = 0;
        if (!ClearCommError(port_->handle, &errors, &state))
            return false;
        count = state.cbInQue;
        return true;
    };
    if (timeoutMs > 0) {
        // One byte with the wait as its time-out: it comes as soon as it is
        // there, at once when it is there already.
        const int writeWait =
            port_->timeoutsSet ? int(port_->timeouts.WriteTotalTimeoutConstant) : 1000;
        if (!setTimeouts(port_->handle, port_->timeouts, port_->timeoutsSet,
                         timeoutsFor(timeoutMs, writeWait)))
            return failed();
        DWORD first = 0;
        if (!ReadFile(port_->handle, buffer, 1, &first, nullptr))
            return failed();
        if (first == 0)
            return Status::TimedOut;
        received = 1;
    } else if (!port_->timeoutsSet && !setTimeouts(port_->handle, port_->timeouts,
                                                   port_->timeoutsSet, timeoutsFor(1, 1000))) {
        return failed();
    }
    DWORD waiting = 0;
    if (!queued(waiting))
        return failed();
    // Bytes the system already holds come at once, whatever the time-out.
    const DWORD rest = DWORD(std::min<size_t>({capacity - received, size_t(waiting), 1 << 20}));
    if (rest > 0) {
        DWORD n = 0;
        if (!ReadFile(port_->handle, buffer + received, rest, &n, nullptr))
            return failed();
        received += size_t(n);
    }
    return received > 0 ? Status::Ok : Status::TimedOut;
}

void SerialTransport::discardInput()
{
    if (isOpen())
        PurgeComm(port_->handle, PURGE_RXABORT | PURGE_RXCLEAR);
}

int64_t SerialTransport::nowMs() const
{
    return clock_.elapsed();
}

void SerialTransport::pauseMs(int ms)
{
    if (ms > 0)
        Sleep(DWORD(ms));
}

} // namespace vestan::trvclnk
