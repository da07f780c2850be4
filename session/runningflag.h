#pragma once

#include "session/linkchannel.h"
#include "session/linksession.h"

namespace vestan {

// Holds the channel's busy flag for one short operation: set on
// construction, cleared on every way out. The tool bar is not redrawn for a
// short operation, but when something redrew it meanwhile (a typed network
// number, the statistics button) it shows the busy look and would keep it:
// then it is brought back to the idle one.
class RunningFlag
{
public:
    RunningFlag(LinkChannel &channel, LinkStatusDisplay *display)
        : channel_(channel), display_(display)
    {
        channel_.running = 1;
    }
    ~RunningFlag()
    {
        channel_.running = 0;
        if (display_ && display_->showsRunning())
            display_->RefreshLinkStatus();
    }
    RunningFlag(const RunningFlag &) = delete;
    RunningFlag &operator=(const RunningFlag &) = delete;

private:
    LinkChannel &channel_;
    LinkStatusDisplay *display_;
};

} // namespace vestan
