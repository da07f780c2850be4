#pragma once

#include "protocol/protocol.h"

#include <chrono>
#include <cstdint>

namespace vestan::trvsim {

// The controller's clock: set to a date and time, it runs on from there.
class SimClock
{
public:
    using Steady = std::chrono::steady_clock;

    // Starts at the computer's local time.
    SimClock();

    // Sets the clock; the day-of-week byte is ignored (the clock knows the
    // calendar). False, and nothing changed, for an impossible date or time.
    bool set(const CtlDateTime &clock, Steady::time_point now = Steady::now());
    CtlDateTime read(Steady::time_point now = Steady::now()) const;

private:
    std::chrono::sys_seconds base_;
    Steady::time_point setAt_;
};

} // namespace vestan::trvsim
