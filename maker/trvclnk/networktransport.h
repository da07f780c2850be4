#pragma once

#include "maker/trvclnk/porttransport.h"
#include "maker/trvclnk/telnetcodec.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QTcpSocket;

namespace vestan::trvclnk {

// A network serial server's address as a port's device names it.
struct NetworkAddress
{
    bool comPortControl = false; // rfc2217://: Telnet with Com Port Control; tcp://: raw bytes
    QString host;                // a name, an IPv4 address or an IPv6 address (no brackets)
    uint16_t port = 0;
};

// True when the device names a network port (tcp:// or rfc2217://, in any case).
bool isNetworkDevice(const QString &device);
// The address of tcp://HOST:PORT or rfc2217://HOST:PORT ([IPv6] in brackets);
// nothing for any other text.
std::optional<NetworkAddress> parseNetworkAddress(const QString &device);

// A TCP connection to a network serial server in blocking mode (no event loop
// needed), the same on every system: with TCP_NODELAY, since a small request
// must not wait for the acknowledgement of the one before it, and keep-alive.
// Over Com Port Control the server's serial port gets the port's settings,
// 0xFF is doubled on the way out and undone on the way in, and Telnet
// commands never reach the caller.
class NetworkTransport : public PortTransport
{
public:
    NetworkTransport();
    ~NetworkTransport() override;

    bool open(const PortSettings &settings) override;
    void close() override;
    bool isOpen() const override { return opened_; }
    bool lost() const override { return opened_ && !socket_; }
    bool reconnect() override;

    Status write(const uint8_t *data, size_t size, int timeoutMs) override;
    Status read(uint8_t *buffer, size_t capacity, int timeoutMs, size_t &received) override;
    void discardInput() override;

private:
    bool connectToServer();
    bool setUpComPort();
    bool writeRaw(const std::vector<uint8_t> &bytes, int timeoutMs);
    // Takes what the socket holds now into the data waiting to be read.
    void takeArrived();
    // Waits for the server until `until`; false on time-out or a lost connection.
    bool waitForServer(int64_t until);
    Status connectionLost();

    PortSettings settings_;
    NetworkAddress address_;
    std::unique_ptr<QTcpSocket> socket_;
    telnet::TelnetReader telnet_;
    std::vector<uint8_t> arrived_; // data read from the socket, not yet handed out
    size_t arrivedAt_ = 0;
    std::vector<uint8_t> out_;
    std::vector<uint8_t> answers_;
    bool opened_ = false;
};

} // namespace vestan::trvclnk
