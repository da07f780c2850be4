#include "clock/controllerclock.h"

#include "clock/clockrequests.h"
#include "clock/datetimefields.h"
#include "session/runningflag.h"
#include "session/session.h"

#include <QLabel>

namespace vestan {

void ControllerClock::BtnGDTTMClick()
{
    LinkChannel &channel = state_.channel;
    if (channel.running != 0)
        return;
    const RunningFlag running(channel, state_.linkStatus);
    CtlDateTime clock;
    if (readControllerClock(state_, clock))
        display_->setText(formatControllerClock(clock));
}

void ControllerClock::SetControllerClock()
{
    LinkChannel &channel = state_.channel;
    if (channel.running != 0)
        return;
    const RunningFlag running(channel, state_.linkStatus);
    setControllerClock(state_, fields_.read());
}

} // namespace vestan
