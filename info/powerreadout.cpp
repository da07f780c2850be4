#include "info/powerreadout.h"

#include "app/programstate.h"
#include "info/infotexts.h"
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

    const QString operation = QStringLiteral("Получить данные по питанию");
    uint16_t count = 0;
    uint16_t dataOffset = 0;
    const int result = state_.requests.RequestQuery(ObjPower, kPowerReadingsSize, nullptr, count,
                                                    dataOffset, 1, operation);
    if (result != 0 || !state_.requests.ReplyHoldsRecord(count, kPowerReadingsSize, 1, operation))
        return;
    text_->setText(formatPowerReadings(channel.rxBuffer + dataOffset));
}

} // namespace vestan
