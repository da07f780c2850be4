#pragma once

#include "faultmodel.h"
#include "linecut.h"
#include "pacer.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace vestan::linesim {

struct DirectionStats
{
    std::uint64_t bytesIn = 0;  // taken from the sender
    std::uint64_t bytesOut = 0; // handed to the receiver
    std::uint64_t cut = 0;      // lost while the line was dead
    FaultCounts faults;
    std::uint64_t undelivered = 0; // still inside the emulator at the end
};

// One way of the line: bytes read from the sender's master wait for the
// pacer, pass the line cut and the faults, wait out the latency in a timed
// queue and are written to the receiver's master. Nothing here blocks; the
// owner polls the descriptors and the wake-up time this class reports.
class Direction
{
public:
    struct Setup
    {
        std::uint64_t baud = 0;
        std::int64_t latencyNs = 0;
        FaultConfig faults;
    };

    Direction(const Setup &setup, unsigned index, int source, int destination, LineCut &cut);

    // Reads what the sender has written, as far as there is room.
    void readSource(std::int64_t nowNs);
    // Moves the bytes the line has carried by now onto the timed queue.
    void transmit(std::int64_t nowNs);
    // Writes the bytes that are due to the receiver, as far as it takes them.
    void deliver(std::int64_t nowNs);

    bool wantsSource() const;
    bool wantsDestination() const { return destinationFull_; }
    // The next moment transmit() or deliver() has work, if any.
    std::optional<std::int64_t> wakeAt(std::int64_t nowNs) const;

    DirectionStats stats() const;

private:
    struct Segment
    {
        std::int64_t dueNs;
        std::vector<std::uint8_t> bytes;
        std::size_t written = 0;
    };

    std::size_t pendingSize() const { return pendingEnd_ - pendingBegin_; }
    bool flightFull() const;

    int source_;
    int destination_;
    std::int64_t latencyNs_;
    Pacer pacer_;
    FaultModel faults_;
    LineCut &cut_;

    std::vector<std::uint8_t> pending_;
    std::size_t pendingBegin_ = 0;
    std::size_t pendingEnd_ = 0;
    std::deque<Segment> flight_;
    std::size_t flightBytes_ = 0;
    bool destinationFull_ = false;
    DirectionStats stats_;
};

} // namespace vestan::linesim
