#pragma once

#include "link/linkchannel.h"

namespace vestan {

// Holds the channel's busy flag for one short operation: set on
// construction, cleared on every way out.
class RunningFlag
{
public:
    explicit RunningFlag(LinkChannel &channel) : channel_(channel) { channel_.running = 1; }
    ~RunningFlag() { channel_.running = 0; }
    RunningFlag(const RunningFlag &) = delete;
    RunningFlag &operator=(const RunningFlag &) = delete;

private:
    LinkChannel &channel_;
};

} // namespace vestan
