#include "info/powerreadout.h"

#include "info/controllerinfo.h"
#include "session/runningflag.h"

#include <QLabel>

namespace vestan {

PowerReadout::PowerReadout(Session &state, QLabel *text) : state_(state), text_(text) {}

void PowerReadout::BtnUClick()
{
    const RunningFlag running(state_);
    if (!running.acquired())
        return;
    text_->clear();
    text_->setText(readPowerReadings(state_));
}

} // namespace vestan
