#pragma once

#include <cstddef>
#include <cstdint>

namespace vestan::trvclnk {

// A byte line as the exchange and the modem dialler see it. The serial
// transport is the real one; tests put scripted lines in its place.
class ByteChannel
{
public:
    enum class Status
    {
        Ok,
        TimedOut,
        Failed
    };

    virtual ~ByteChannel() = default;

    // Sends every byte or fails; waits at most timeoutMs.
    virtual Status write(const uint8_t *data, size_t size, int timeoutMs) = 0;
    // Waits at most timeoutMs for bytes, then takes what is there (at most
    // capacity); `received` is 0 on a time-out.
    virtual Status read(uint8_t *buffer, size_t capacity, int timeoutMs, size_t &received) = 0;
    // Throws away whatever has arrived and not been read.
    virtual void discardInput() = 0;
    // A monotonic clock in milliseconds for the time-outs.
    virtual int64_t nowMs() const = 0;
    // Waits without reading (the modem's guard times).
    virtual void pauseMs(int ms) = 0;
};

} // namespace vestan::trvclnk
