#include "pacer.h"

#include <algorithm>
#include <limits>

namespace vestan::linesim {

namespace {

using Wide = __int128;
constexpr Wide kNsPerSecond = 1'000'000'000;

} // namespace

Pacer::Pacer(std::uint64_t baud) : baud_(baud) {}

void Pacer::wake(std::int64_t nowNs)
{
    if (baud_ == 0)
        return;
    if (readyAt(0) < nowNs) {
        epochNs_ = nowNs;
        sent_ = 0;
    }
}

std::uint64_t Pacer::available(std::int64_t nowNs) const
{
    if (baud_ == 0)
        return std::numeric_limits<std::uint64_t>::max();
    if (nowNs <= epochNs_)
        return 0;
    const Wide done = Wide(nowNs - epochNs_) * Wide(baud_) / (kNsPerSecond * kBitsPerByte);
    return done > Wide(sent_) ? static_cast<std::uint64_t>(done - Wide(sent_)) : 0;
}

void Pacer::take(std::uint64_t bytes)
{
    if (baud_ == 0)
        return;
    sent_ += bytes;
    // Move the epoch forward by whole ten-second spans (exactly `baud_` bytes
    // each) so the arithmetic stays small on a transfer of any length.
    const std::uint64_t spans = sent_ / baud_;
    epochNs_ += static_cast<std::int64_t>(spans) * 10 * static_cast<std::int64_t>(kNsPerSecond);
    sent_ -= spans * baud_;
}

std::int64_t Pacer::readyAt(std::uint64_t bytes) const
{
    if (baud_ == 0)
        return std::numeric_limits<std::int64_t>::min();
    const Wide bits = (Wide(sent_) + Wide(bytes)) * kBitsPerByte * kNsPerSecond;
    const Wide ns = (bits + Wide(baud_) - 1) / Wide(baud_);
    return epochNs_ + static_cast<std::int64_t>(ns);
}

std::uint64_t Pacer::bytesPerMillisecond() const
{
    if (baud_ == 0)
        return std::numeric_limits<std::uint64_t>::max();
    return std::max<std::uint64_t>(1, baud_ / (kBitsPerByte * 1000));
}

} // namespace vestan::linesim
