#pragma once

#include "maker/trvclnk/porttransport.h"

#include <QElapsedTimer>
#include <QString>
#include <memory>

namespace vestan::trvclnk {

// The serial device in blocking mode (Qt SerialPort's on Linux, the system's
// communications calls on Windows): no event loop needed, so it works with or
// without an application object in the host program.
class SerialTransport : public PortTransport
{
public:
    SerialTransport();
    ~SerialTransport() override;

    bool open(const PortSettings &settings) override;
    // Why the last open failed, as a link code: no permission, no such device,
    // held by another program, or kErrOpenFailed for anything else.
    int32_t openFailure() const override { return openFailure_; }
    void close() override;
    bool isOpen() const override;
    // Why the last open or transfer failed, for diagnostics.
    QString errorString() const { return error_; }

    Status write(const uint8_t *data, size_t size, int timeoutMs) override;
    Status read(uint8_t *buffer, size_t capacity, int timeoutMs, size_t &received) override;
    void discardInput() override;
    int64_t nowMs() const override;
    void pauseMs(int ms) override;

private:
    bool applySettings(const PortSettings &settings);
    Status failed();

    struct Port; // the open device, as each system has it
    std::unique_ptr<Port> port_;
    QElapsedTimer clock_;
    QString error_;
    int32_t openFailure_ = 0;
};

} // namespace vestan::trvclnk
