#include "clock/controllerclock.h"

#include "app/programstate.h"
#include "clock/ctldatetime.h"
#include "clock/datetimefields.h"
#include "link/runningflag.h"

#include <QLabel>

namespace vestan {

void ControllerClock::BtnGDTTMClick()
{
    LinkChannel &channel = state_.channel;
    if (channel.running != 0)
        return;
    const RunningFlag running(channel, state_.linkStatus);
    uint16_t count = 0;
    uint16_t dataOffset = 0;
    const QString operation = QStringLiteral("Чтение системных даты и времени");
    const int result = state_.requests.RequestQuery(ObjDateTime, CtlDateTime::kSize, nullptr, count,
                                                    dataOffset, 1, operation);
    if (result != 0 || !state_.requests.ReplyHoldsRecord(count, CtlDateTime::kSize, 1, operation))
        return;
    display_->setText(formatControllerClock(CtlDateTime::fromBytes(channel.rxBuffer + dataOffset)));
}

void ControllerClock::SetControllerClock()
{
    LinkChannel &channel = state_.channel;
    if (channel.running != 0)
        return;
    const RunningFlag running(channel, state_.linkStatus);
    const JournalDateTime fields = fields_.read();
    CtlDateTime t;
    t.seconds = fields.seconds;
    t.minutes = fields.minutes;
    t.hours = fields.hours;
    t.day = fields.day;
    t.month = fields.month;
    t.year = fields.year;
    t.dayOfWeek = dayOfWeekOf(fields.year, fields.month, fields.day);
    const auto bytes = t.toBytes();
    state_.requests.RequestWrite(ObjDateTime, bytes.data(), CtlDateTime::kSize, 1,
                                 QStringLiteral("Установка даты и времени"));
}

} // namespace vestan
