#include "info/powerreadout.h"

#include "app/programstate.h"
#include "info/controllerinfo.h"
#include "link/runningflag.h"

#include <QLabel>

namespace vestan {

PowerReadout::PowerReadout(ProgramState &state, QLabel *text) : state_(state), text_(text) {}

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
