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

    JournalDateTime stamp = fields_.read();
    stamp.milliseconds = fields_.readMilliseconds();
    recordNumber_->setText(QStringLiteral(" "));
    result_->setText(recordSearchRunningText(recordStampText(stamp)));
    infoData_->setText(QString());

    const RecordSearchOutcome outcome = searchRecord(state_, stamp);
    if (outcome.answered)
        recordNumber_->setText(QString::asprintf("%u", unsigned(outcome.found.number)));
    result_->setText(outcome.resultText);
}

} // namespace vestan
