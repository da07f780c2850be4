#include "line.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sstream>
#include <stdexcept>

namespace vestan::linesim {

namespace {

Direction::Setup setupFrom(const Options &options)
{
    return {options.baud, options.latencyNs, options.faults};
}

void checkEnd(const pollfd &fd, const char *name)
{
    if (fd.revents & (POLLERR | POLLNVAL))
        throw std::runtime_error(std::string("line end ") + name + " failed");
}

} // namespace

std::int64_t monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

Line::Line(const Options &options, int masterA, int masterB)
    : cut_(options.cut), directions_{Direction(setupFrom(options), 0, masterA, masterB, cut_),
                                     Direction(setupFrom(options), 1, masterB, masterA, cut_)},
      masterA_(masterA), masterB_(masterB)
{}

void Line::run(int stopFd, std::optional<std::int64_t> durationNs)
{
    const std::int64_t start = monotonicNs();
    const std::optional<std::int64_t> end =
        durationNs ? std::optional<std::int64_t>(start + *durationNs) : std::nullopt;
    Direction &ab = directions_[0];
    Direction &ba = directions_[1];

    for (;;) {
        std::int64_t now = monotonicNs();
        if (end && now >= *end)
            return;
        for (Direction &d : directions_) {
            d.transmit(now);
            d.deliver(now);
        }

        std::optional<std::int64_t> wake = end;
        for (const Direction &d : directions_) {
            if (auto at = d.wakeAt(now))
                wake = wake ? std::min(*wake, *at) : *at;
        }
        pollfd fds[3] = {
            {stopFd, POLLIN, 0},
            {masterA_,
             static_cast<short>((ab.wantsSource() ? POLLIN : 0) |
                                (ba.wantsDestination() ? POLLOUT : 0)),
             0},
            {masterB_,
             static_cast<short>((ba.wantsSource() ? POLLIN : 0) |
                                (ab.wantsDestination() ? POLLOUT : 0)),
             0},
        };
        timespec timeout{};
        timespec *timeoutPtr = nullptr;
        if (wake) {
            const std::int64_t wait = std::max<std::int64_t>(*wake - now, 0);
            timeout.tv_sec = wait / 1'000'000'000;
            timeout.tv_nsec = wait % 1'000'000'000;
            timeoutPtr = &timeout;
        }
        if (ppoll(fds, 3, timeoutPtr, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
        }
        if (fds[0].revents)
            return;
        checkEnd(fds[1], "a");
        checkEnd(fds[2], "b");
        now = monotonicNs();
        if (fds[1].revents & POLLIN)
            ab.readSource(now);
        if (fds[2].revents & POLLIN)
            ba.readSource(now);
    }
}

std::string formatStats(const std::string &name, const DirectionStats &s)
{
    std::ostringstream out;
    out << "direction=" << name << " bytes_in=" << s.bytesIn << " bytes_out=" << s.bytesOut
        << " corrupted=" << s.faults.corrupted << " dropped=" << s.faults.dropped
        << " cut=" << s.cut << " noise=" << s.faults.noiseBytes
        << " noise_bursts=" << s.faults.noiseBursts << " undelivered=" << s.undelivered;
    return out.str();
}

} // namespace vestan::linesim
