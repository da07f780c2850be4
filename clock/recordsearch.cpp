#include "clock/recordsearch.h"

#include "clock/clockrequests.h"
#include "clock/datetimefields.h"
#include "session/runningflag.h"

#include <QLabel>

namespace vestan {

void RecordSearch::BtnFindClick()
{
    const RunningFlag running(state_);
    if (!running.acquired())
        return;

    const JournalDateTime stamp = fields_.read();
    const uint16_t milliseconds = fields_.readMilliseconds();
    recordNumber_->setText(QStringLiteral(" "));
    result_->setText(recordSearchRunningText(recordStampText(stamp, milliseconds)));
    infoData_->setText(QString());

    const RecordSearchOutcome outcome = searchRecord(state_, stamp, milliseconds);
    if (outcome.answered)
        recordNumber_->setText(QString::asprintf("%u", unsigned(outcome.found.number)));
    result_->setText(outcome.resultText);
}

} // namespace vestan
