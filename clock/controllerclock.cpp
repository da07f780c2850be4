#include "clock/controllerclock.h"

#include "clock/clockrequests.h"
#include "clock/datetimefields.h"
#include "session/runningflag.h"

#include <QLabel>

namespace vestan {

void ControllerClock::BtnGDTTMClick()
{
    const RunningFlag running(state_);
    if (!running.acquired())
        return;
    CtlDateTime clock;
    if (readControllerClock(state_, clock))
        display_->setText(formatControllerClock(clock));
}

void ControllerClock::SetControllerClock()
{
    const RunningFlag running(state_);
    if (!running.acquired())
        return;
    setControllerClock(state_, fields_.read());
}

} // namespace vestan
