#include "maker/trvclnk/serialtransport.h"

#include "maker/trvclnk/linkerrors.h"
#include "platform/deviceaccess.h"

#include <QSerialPort>
#include <algorithm>

namespace vestan::trvclnk {

struct SerialTransport::Port : QSerialPort
{};

namespace {

// In the order of PortSettings::parityIndex().
constexpr QSerialPort::Parity kParities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                             QSerialPort::EvenParity, QSerialPort::MarkParity,
                                             QSerialPort::SpaceParity};

// The device's path as Qt opens it: a bare name lies in /dev.
QString devicePath(const QString &device)
{
    return device.startsWith(u'/') ? device : QStringLiteral("/dev/") + device;
}

int32_t openFailureCode(const QSerialPort &port, const QString &device)
{
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return kErrNoDevice;
    case QSerialPort::PermissionError:
        // Qt says the same for a device this user may not open and for one that
        // another program holds (its lock file, or the kernel's exclusive mode):
        // the device's own rights tell them apart.
        return mayOpenDevice(devicePath(device)) ? kErrDeviceBusy : kErrNoPermission;
    default:
        return kErrOpenFailed;
    }
}

// Clears the error too: left set, it would spoil the next call's look at it.
ByteChannel::Status failed(QSerialPort &port)
{
    port.clearError();
    return ByteChannel::Status::Failed;
}

} // namespace

SerialTransport::SerialTransport() = default;

SerialTransport::~SerialTransport()
{
    close();
}

bool SerialTransport::open(const PortSettings &settings)
{
    close();
    failure_ = kOk;
    port_ = std::make_unique<Port>();
    port_->setPortName(settings.device);
    if (!port_->open(QIODevice::ReadWrite)) {
        failure_ = openFailureCode(*port_, settings.device);
        port_.reset();
        return false;
    }
    if (!applySettings(settings)) {
        failure_ = kErrOpenFailed;
        close();
        return false;
    }
    // Modem-control calls fail on a pseudo-terminal ("Inappropriate ioctl"),
    // which leaves an error behind that means nothing for the line.
    port_->clearError();
    port_->clear(QSerialPort::AllDirections);
    return true;
}

bool SerialTransport::applySettings(const PortSettings &settings)
{
    const auto dataBits = static_cast<QSerialPort::DataBits>(settings.dataBits);
    const auto stopBits = settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    return port_->setBaudRate(qint32(settings.baud)) && port_->setDataBits(dataBits) &&
           port_->setParity(kParities[settings.parityIndex()]) && port_->setStopBits(stopBits) &&
           port_->setFlowControl(QSerialPort::NoFlowControl);
}

void SerialTransport::close()
{
    port_.reset(); // the port closes itself
}

bool SerialTransport::isOpen() const
{
    return port_ && port_->isOpen();
}

ByteChannel::Status SerialTransport::write(const uint8_t *data, size_t size, int timeoutMs)
{
    if (!isOpen())
        return Status::Failed;
    const qint64 queued = port_->write(reinterpret_cast<const char *>(data), qint64(size));
    if (queued != qint64(size))
        return failed(*port_);
    const int64_t deadline = nowMs() + timeoutMs;
    while (port_->bytesToWrite() > 0) {
        const int64_t left = deadline - nowMs();
        if (left <= 0 || !port_->waitForBytesWritten(int(left))) {
            if (port_->error() == QSerialPort::TimeoutError || left <= 0) {
                port_->clearError();
                return Status::TimedOut;
            }
            return failed(*port_);
        }
    }
    return Status::Ok;
}

ByteChannel::Status SerialTransport::read(uint8_t *buffer, size_t capacity, int timeoutMs,
                                          size_t &received)
{
    received = 0;
    if (!isOpen())
        return Status::Failed;
    if (port_->bytesAvailable() == 0 && !port_->waitForReadyRead(std::max(timeoutMs, 0))) {
        if (port_->error() == QSerialPort::TimeoutError || port_->error() == QSerialPort::NoError) {
            // A timed-out wait leaves TimeoutError set; it would spoil the next call.
            port_->clearError();
            return Status::TimedOut;
        }
        return failed(*port_);
    }
    const qint64 n = port_->read(reinterpret_cast<char *>(buffer), qint64(capacity));
    if (n < 0)
        return failed(*port_);
    received = size_t(n);
    return Status::Ok;
}

void SerialTransport::discardInput()
{
    if (isOpen()) {
        port_->clear(QSerialPort::Input);
        port_->clearError();
    }
}

} // namespace vestan::trvclnk
