#pragma once

#include "maker/trvclnk/porttransport.h"

#include <memory>

namespace vestan::trvclnk {

// The serial device in blocking mode (Qt SerialPort's on Linux, the system's
// communications calls on Windows): no event loop needed, so it works with or
// without an application object in the host program. An open that fails
// says why as a link code: no permission, no such device, held by another
// program, or kErrOpenFailed for anything else.
class SerialTransport : public PortTransport
{
public:
    SerialTransport();
    ~SerialTransport() override;

    bool open(const PortSettings &settings) override;
    void close() override;
    bool isOpen() const override;

    Status write(const uint8_t *data, size_t size, int timeoutMs) override;
    Status read(uint8_t *buffer, size_t capacity, int timeoutMs, size_t &received) override;
    void discardInput() override;

private:
    bool applySettings(const PortSettings &settings);

    struct Port; // the open device, as each system has it
    std::unique_ptr<Port> port_;
};

} // namespace vestan::trvclnk
