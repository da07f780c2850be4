#include "direction.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace vestan::linesim {

namespace {

// Unpaced, the line must move tens of MiB a second: read big chunks. Paced,
// a few hundred milliseconds of line time is plenty and keeps the sender's
// writes blocking roughly when a real port's would.
constexpr std::size_t kUnpacedPending = 256 * 1024;
constexpr std::size_t kMinPacedPending = 256;
// Bytes on their way (latency, or a receiver that does not read) before the
// sender is held back.
constexpr std::size_t kFlightLimit = 4 * 1024 * 1024;

std::size_t pendingCapacity(std::uint64_t baud)
{
    if (baud == 0)
        return kUnpacedPending;
    const std::uint64_t quarterSecond = baud / (Pacer::kBitsPerByte * 4);
    return static_cast<std::size_t>(
        std::clamp<std::uint64_t>(quarterSecond, kMinPacedPending, kUnpacedPending));
}

[[noreturn]] void failIo(const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

} // namespace

Direction::Direction(const Setup &setup, unsigned index, int source, int destination, LineCut &cut)
    : source_(source), destination_(destination), latencyNs_(setup.latencyNs), pacer_(setup.baud),
      faults_(setup.faults, index), cut_(cut), pending_(pendingCapacity(setup.baud))
{}

bool Direction::flightFull() const
{
    return flightBytes_ >= kFlightLimit;
}

bool Direction::wantsSource() const
{
    return pendingEnd_ < pending_.size() || pendingBegin_ > 0;
}

void Direction::readSource(std::int64_t nowNs)
{
    const bool wasIdle = pendingSize() == 0;
    if (pendingBegin_ > 0) {
        std::memmove(pending_.data(), pending_.data() + pendingBegin_, pendingSize());
        pendingEnd_ -= pendingBegin_;
        pendingBegin_ = 0;
    }
    while (pendingEnd_ < pending_.size()) {
        const ssize_t n =
            read(source_, pending_.data() + pendingEnd_, pending_.size() - pendingEnd_);
        if (n > 0) {
            pendingEnd_ += static_cast<std::size_t>(n);
            stats_.bytesIn += static_cast<std::uint64_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n == 0 || errno == EIO)
            break; // no sender at the moment; we hold the slave, so this passes
        failIo("read from the line");
    }
    if (wasIdle && pendingSize() > 0)
        pacer_.wake(nowNs);
}

void Direction::transmit(std::int64_t nowNs)
{
    if (pendingSize() == 0 || flightFull())
        return;
    std::size_t count = pendingSize();
    if (!pacer_.unpaced()) {
        const std::uint64_t ready = pacer_.available(nowNs);
        const std::uint64_t goal = std::min<std::uint64_t>(count, pacer_.bytesPerMillisecond());
        if (ready < goal)
            return;
        count = static_cast<std::size_t>(std::min<std::uint64_t>(count, ready));
        pacer_.take(count);
    }

    Segment segment{nowNs + latencyNs_, {}, 0};
    segment.bytes.reserve(count);
    std::size_t offset = 0;
    while (offset < count) {
        const LineCut::Run run = cut_.next(count - offset, nowNs);
        const std::uint8_t *begin = pending_.data() + pendingBegin_ + offset;
        if (run.dead)
            stats_.cut += run.length;
        else
            faults_.apply({begin, run.length}, segment.bytes);
        offset += run.length;
    }
    pendingBegin_ += count;
    if (pendingBegin_ == pendingEnd_)
        pendingBegin_ = pendingEnd_ = 0;

    if (segment.bytes.empty())
        return;
    flightBytes_ += segment.bytes.size();
    flight_.push_back(std::move(segment));
}

void Direction::deliver(std::int64_t nowNs)
{
    destinationFull_ = false;
    while (!flight_.empty() && flight_.front().dueNs <= nowNs) {
        Segment &front = flight_.front();
        const ssize_t n = write(destination_, front.bytes.data() + front.written,
                                front.bytes.size() - front.written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                destinationFull_ = true;
                return;
            }
            failIo("write to the line");
        }
        front.written += static_cast<std::size_t>(n);
        flightBytes_ -= static_cast<std::size_t>(n);
        stats_.bytesOut += static_cast<std::uint64_t>(n);
        if (front.written == front.bytes.size())
            flight_.pop_front();
    }
}

std::optional<std::int64_t> Direction::wakeAt(std::int64_t nowNs) const
{
    std::optional<std::int64_t> at;
    auto earliest = [&at](std::int64_t t) { at = at ? std::min(*at, t) : t; };
    if (pendingSize() > 0 && !flightFull()) {
        if (pacer_.unpaced()) {
            earliest(nowNs);
        } else {
            const std::uint64_t goal =
                std::min<std::uint64_t>(pendingSize(), pacer_.bytesPerMillisecond());
            earliest(pacer_.readyAt(goal));
        }
    }
    if (!flight_.empty() && !destinationFull_)
        earliest(flight_.front().dueNs);
    return at;
}

DirectionStats Direction::stats() const
{
    DirectionStats s = stats_;
    s.faults = faults_.counts();
    s.undelivered = pendingSize() + flightBytes_;
    return s;
}

} // namespace vestan::linesim
