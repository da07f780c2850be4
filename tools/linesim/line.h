#pragma once

#include "direction.h"
#include "linecut.h"
#include "options.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vestan::linesim {

// Both ways of the line between two masters, driven by one poll loop that
// sleeps until a descriptor is ready or the next byte is due.
class Line
{
public:
    Line(const Options &options, int masterA, int masterB);

    // Runs until `stopFd` becomes readable or `durationNs` has passed.
    void run(int stopFd, std::optional<std::int64_t> durationNs);

    DirectionStats statsAtoB() const { return directions_[0].stats(); }
    DirectionStats statsBtoA() const { return directions_[1].stats(); }

private:
    LineCut cut_;
    std::array<Direction, 2> directions_;
    int masterA_;
    int masterB_;
};

// Monotonic clock in nanoseconds.
std::int64_t monotonicNs();

// One machine-readable line of key=value pairs for one direction.
std::string formatStats(const std::string &name, const DirectionStats &stats);

} // namespace vestan::linesim
