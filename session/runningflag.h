#pragma once

#include "session/session.h"

namespace vestan {

// Holds the channel's busy flag for one operation: taken on construction
// unless another operation holds it (acquired() tells), cleared on every way
// out. A transfer (redraw) shows the busy look for its whole run. A short
// operation does not redraw the tool bar, but when something redrew it
// meanwhile (a typed network number, the statistics button) it shows the busy
// look and would keep it: then it is brought back to the idle one.
class RunningFlag
{
public:
    explicit RunningFlag(Session &state, bool redraw = false)
        : state_(state), acquired_(state.channel.running == 0), redraw_(redraw)
    {
        if (!acquired_)
            return;
        state_.channel.running = 1;
        if (redraw_ && state_.linkStatus)
            state_.linkStatus->RefreshLinkStatus();
    }
    ~RunningFlag()
    {
        if (!acquired_)
            return;
        state_.channel.running = 0;
        if (state_.linkStatus && (redraw_ || state_.linkStatus->showsRunning()))
            state_.linkStatus->RefreshLinkStatus();
    }
    RunningFlag(const RunningFlag &) = delete;
    RunningFlag &operator=(const RunningFlag &) = delete;

    bool acquired() const { return acquired_; }

private:
    Session &state_;
    const bool acquired_;
    const bool redraw_;
};

} // namespace vestan
