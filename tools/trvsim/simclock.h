#pragma once

#include "protocol/protocol.h"

#include <array>
#include <chrono>
#include <cstdint>

namespace vestan::trvsim {

using CtlDateTime = std::array<uint8_t, kCtlDateTimeSize>;

// The controller's clock: set to a date and time, it runs on from there.
// Bytes: seconds, minutes, hours, day, month, year (16-bit LE), day of week
// (0 = Sunday).
class SimClock
{
public:
    using Steady = std::chrono::steady_clock;

    // Starts at the computer's local time.
    SimClock();

    // Sets the clock; the day-of-week byte is ignored (the clock knows the
    // calendar). False, and nothing changed, for an impossible date or time.
    bool set(const CtlDateTime &bytes, Steady::time_point now = Steady::now());
    CtlDateTime read(Steady::time_point now = Steady::now()) const;

private:
    std::chrono::sys_seconds base_;
    Steady::time_point setAt_;
};

} // namespace vestan::trvsim
