#include "linecut.h"

#include <algorithm>

namespace vestan::linesim {

LineCut::LineCut(const CutConfig &config)
    : nextCutAt_(config.after), every_(config.every),
      durationNs_(std::max<std::int64_t>(config.durationNs, 0))
{}

LineCut::Run LineCut::next(std::size_t size, std::int64_t nowNs)
{
    if (deadAt(nowNs))
        return {size, true};
    if (!nextCutAt_)
        return {size, false};
    if (livePassed_ >= *nextCutAt_) {
        // Only a cut after zero bytes gets here: the line starts dead.
        openWindow(nowNs);
        return next(size, nowNs);
    }
    const std::uint64_t left = *nextCutAt_ - livePassed_;
    const std::size_t live = static_cast<std::size_t>(std::min<std::uint64_t>(left, size));
    livePassed_ += live;
    if (livePassed_ == *nextCutAt_)
        openWindow(nowNs);
    return {live, false};
}

void LineCut::openWindow(std::int64_t nowNs)
{
    ++cuts_;
    deadUntil_ = nowNs + durationNs_;
    if (every_ > 0)
        *nextCutAt_ = livePassed_ + every_;
    else
        nextCutAt_.reset();
}

} // namespace vestan::linesim
