#pragma once

#include <cstddef>
#include <cstdint>

namespace vestan::linesim {

// The byte rate of one direction of an 8N1 line (ten bits a byte). A byte may
// be handed on once its last bit would have arrived: the line's clock runs
// from the moment the first byte of a busy spell was offered, so a long
// transfer keeps the exact rate however late the caller wakes up. Time comes
// in from the caller (monotonic nanoseconds).
class Pacer
{
public:
    static constexpr std::int64_t kBitsPerByte = 10;

    explicit Pacer(std::uint64_t baud);

    bool unpaced() const { return baud_ == 0; }

    // The sender has offered bytes after the line stood idle: the line starts
    // sending now, unless its previous bytes are still on the way.
    void wake(std::int64_t nowNs);

    // Bytes whose transmission is complete at `nowNs` and not yet taken.
    std::uint64_t available(std::int64_t nowNs) const;
    void take(std::uint64_t bytes);

    // When `bytes` more bytes will have been transmitted.
    std::int64_t readyAt(std::uint64_t bytes) const;

    // Bytes a line at this rate carries in about a millisecond (at least 1).
    std::uint64_t bytesPerMillisecond() const;

private:
    std::uint64_t baud_;
    std::int64_t epochNs_ = 0;
    std::uint64_t sent_ = 0; // bytes taken since epochNs_
};

} // namespace vestan::linesim
