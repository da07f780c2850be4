#include "maker/trvclnk/networktransport.h"

#include "maker/trvclnk/linkerrors.h"

#include <QTcpSocket>
#include <QUrl>
#include <QtEndian>
#include <algorithm>
#include <utility>

namespace vestan::trvclnk {
namespace {

const QString kRawScheme = QStringLiteral("tcp");
const QString kComPortScheme = QStringLiteral("rfc2217");

int32_t connectFailureCode(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        return kErrHostNotFound;
    case QAbstractSocket::ConnectionRefusedError:
        return kErrConnectionRefused;
    default:
        return kErrConnectTimeout;
    }
}

} // namespace

bool isNetworkDevice(const QString &device)
{
    const QString text = device.trimmed();
    return text.startsWith(kRawScheme + QStringLiteral("://"), Qt::CaseInsensitive) ||
           text.startsWith(kComPortScheme + QStringLiteral("://"), Qt::CaseInsensitive);
}

std::optional<NetworkAddress> parseNetworkAddress(const QString &device)
{
    if (!isNetworkDevice(device))
        return std::nullopt;
    const QUrl url(device.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.port() <= 0 || !url.path().isEmpty() ||
        !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    NetworkAddress address;
    address.comPortControl = url.scheme().compare(kComPortScheme, Qt::CaseInsensitive) == 0;
    address.host = url.host();
    address.port = uint16_t(url.port());
    return address;
}

NetworkTransport::NetworkTransport() = default;

NetworkTransport::~NetworkTransport()
{
    close();
}

bool NetworkTransport::open(const PortSettings &settings)
{
    close();
    failure_ = kOk;
    const auto address = parseNetworkAddress(settings.device);
    if (!address) {
        failure_ = kErrBadAddress;
        return false;
    }
    settings_ = settings;
    address_ = *address;
    opened_ = connectToServer();
    return opened_;
}

bool NetworkTransport::reconnect()
{
    failure_ = kOk;
    return opened_ && connectToServer();
}

bool NetworkTransport::connectToServer()
{
    if (socket_)
        socket_->abort();
    socket_ = std::make_unique<QTcpSocket>();
    arrived_.clear();
    arrivedAt_ = 0;
    telnet_ = telnet::TelnetReader();
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    socket_->connectToHost(address_.host, address_.port);
    if (!socket_->waitForConnected(settings_.connectTimeoutMs)) {
        failure_ = connectFailureCode(socket_->error());
        socket_.reset();
        return false;
    }
    if (address_.comPortControl && !setUpComPort()) {
        failure_ = socket_ ? kErrComPortRefused : kErrConnectionLost;
        socket_.reset();
        return false;
    }
    return true;
}

bool NetworkTransport::setUpComPort()
{
    // The server must take the option and confirm the speed within the
    // connect time-out; a raw server passes the offer on and says nothing.
    const int64_t until = nowMs() + settings_.connectTimeoutMs;
    if (!writeRaw(telnet::clientOpening(), settings_.connectTimeoutMs))
        return false;
    while (telnet_.comPort() == telnet::TelnetReader::ComPort::Unanswered)
        if (!waitForServer(until))
            return false;
    if (telnet_.comPort() != telnet::TelnetReader::ComPort::Accepted)
        return false;
    std::vector<uint8_t> commands;
    uint8_t speed[4];
    qToBigEndian(settings_.baud, speed);
    telnet::appendComPortCommand(commands, telnet::kSetBaudRate, speed, sizeof speed);
    const std::pair<uint8_t, int> oneByte[] = {
        {telnet::kSetDataSize, settings_.dataBits},
        {telnet::kSetParity, settings_.parityIndex() + 1},
        {telnet::kSetStopSize, settings_.stopBits == 2 ? 2 : 1},
        {telnet::kSetControl, 1}, // no flow control
    };
    for (const auto &[command, value] : oneByte) {
        const uint8_t byte = uint8_t(value);
        telnet::appendComPortCommand(commands, command, &byte, 1);
    }
    if (!writeRaw(commands, settings_.connectTimeoutMs))
        return false;
    while (!telnet_.reply(telnet::kSetBaudRate) || !telnet_.reply(telnet::kSetStopSize))
        if (!waitForServer(until))
            return false;
    // Whatever the line carried before its settings were made means nothing.
    arrived_.clear();
    arrivedAt_ = 0;
    return true;
}

bool NetworkTransport::waitForServer(int64_t until)
{
    const int64_t left = until - nowMs();
    if (socket_->bytesAvailable() == 0 && (left <= 0 || !socket_->waitForReadyRead(int(left)))) {
        if (socket_->state() != QAbstractSocket::ConnectedState)
            socket_.reset();
        return false;
    }
    takeArrived();
    return socket_ != nullptr;
}

void NetworkTransport::close()
{
    if (socket_)
        socket_->abort();
    socket_.reset();
    opened_ = false;
    arrived_.clear();
    arrivedAt_ = 0;
}

ByteChannel::Status NetworkTransport::connectionLost()
{
    if (socket_)
        socket_->abort();
    socket_.reset();
    return Status::Failed;
}

bool NetworkTransport::writeRaw(const std::vector<uint8_t> &bytes, int timeoutMs)
{
    if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState)
        return false;
    if (socket_->write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) !=
        qint64(bytes.size()))
        return false;
    const int64_t deadline = nowMs() + timeoutMs;
    while (socket_->bytesToWrite() > 0) {
        const int64_t left = deadline - nowMs();
        if (left <= 0 || !socket_->waitForBytesWritten(int(left)))
            return socket_->state() == QAbstractSocket::ConnectedState &&
                   socket_->bytesToWrite() == 0;
    }
    return true;
}

ByteChannel::Status NetworkTransport::write(const uint8_t *data, size_t size, int timeoutMs)
{
    if (!socket_)
        return Status::Failed;
    out_.clear();
    if (address_.comPortControl)
        telnet::appendEscaped(out_, data, size);
    else
        out_.assign(data, data + size);
    if (writeRaw(out_, timeoutMs))
        return Status::Ok;
    if (socket_->state() != QAbstractSocket::ConnectedState)
        return connectionLost();
    return Status::TimedOut;
}

void NetworkTransport::takeArrived()
{
    const QByteArray raw = socket_->readAll();
    if (arrivedAt_ == arrived_.size()) {
        arrived_.clear();
        arrivedAt_ = 0;
    }
    const auto *bytes = reinterpret_cast<const uint8_t *>(raw.constData());
    if (!address_.comPortControl) {
        arrived_.insert(arrived_.end(), bytes, bytes + raw.size());
        return;
    }
    answers_.clear();
    telnet_.feed(bytes, size_t(raw.size()), arrived_, answers_);
    if (!answers_.empty() && !writeRaw(answers_, settings_.connectTimeoutMs) &&
        socket_->state() != QAbstractSocket::ConnectedState)
        connectionLost();
}

ByteChannel::Status NetworkTransport::read(uint8_t *buffer, size_t capacity, int timeoutMs,
                                           size_t &received)
{
    received = 0;
    const int64_t deadline = nowMs() + std::max(timeoutMs, 0);
    for (;;) {
        if (arrivedAt_ < arrived_.size()) {
            received = std::min(capacity, arrived_.size() - arrivedAt_);
            std::copy_n(arrived_.begin() + std::ptrdiff_t(arrivedAt_), received, buffer);
            arrivedAt_ += received;
            return Status::Ok;
        }
        if (!socket_)
            return Status::Failed;
        if (socket_->bytesAvailable() > 0) {
            // Telnet commands alone give no data: wait on for the rest.
            takeArrived();
            continue;
        }
        if (socket_->state() != QAbstractSocket::ConnectedState)
            return connectionLost();
        const int64_t left = deadline - nowMs();
        if (left <= 0)
            return Status::TimedOut;
        if (!socket_->waitForReadyRead(int(left)) &&
            socket_->state() != QAbstractSocket::ConnectedState)
            return connectionLost();
    }
}

void NetworkTransport::discardInput()
{
    if (socket_ && socket_->bytesAvailable() > 0)
        takeArrived();
    arrived_.clear();
    arrivedAt_ = 0;
}

} // namespace vestan::trvclnk
