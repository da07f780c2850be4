#include "info/powerreadout.h"

#include "info/controllerinfo.h"
#include "session/runningflag.h"
#include "session/session.h"

#include <QLabel>

namespace vestan {

PowerReadout::PowerReadout(Session &state, QLabel *text) : state_(state), text_(text) {}

void PowerReadout::BtnUClick()
{
    LinkChannel &channel = state_.channel;
    if (channel.running != 0)
        return;
    const RunningFlag running(channel, state_.linkStatus);
    text_->clear();
    text_->setText(readPowerReadings(state_));
}

} // namespace vestan
