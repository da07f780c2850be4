#pragma once

#include "maker/trvclnk/bytechannel.h"
#include "maker/trvclnk/portsettings.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <memory>

namespace vestan::trvclnk {

// What a port's line runs on: a serial device, or a connection to a network
// serial server. The port opens it, runs its requests over it and closes it.
// Both keep time and wait alike: a blocking wait in the calling thread.
class PortTransport : public ByteChannel
{
public:
    PortTransport() { clock_.start(); }

    // Opens the line with these settings; false with openFailure() set.
    virtual bool open(const PortSettings &settings) = 0;
    // Why the last open failed, as a link code.
    int32_t openFailure() const { return failure_; }
    virtual void close() = 0;
    // Open from open() to close(), also while a lost connection waits to be
    // made again.
    virtual bool isOpen() const = 0;
    // The line went away under the port (a network connection dropped); the
    // next open() makes it again.
    virtual bool lost() const { return false; }
    // Makes a lost line again; the port stays open when this fails, with
    // openFailure() saying why.
    virtual bool reconnect() { return false; }

    int64_t nowMs() const final { return clock_.elapsed(); }
    void pauseMs(int ms) final;

protected:
    int32_t failure_ = 0;

private:
    QElapsedTimer clock_;
};

// The transport for a port's device: a network serial server for
// tcp://HOST:PORT and rfc2217://HOST:PORT, a serial device for anything else.
std::unique_ptr<PortTransport> makePortTransport(const QString &device);

} // namespace vestan::trvclnk
