#include "clock/recordsearch.h"

#include "app/programstate.h"
#include "clock/datetimefields.h"
#include "link/runningflag.h"

#include <QLabel>

namespace vestan {

QString RecordSearch::stampText(const JournalDateTime &t, unsigned milliseconds)
{
    return QString::asprintf("%02u.%02u.%04u,  %02u:%02u:%02u,%03u", unsigned(t.day),
                             unsigned(t.month), unsigned(t.year), unsigned(t.hours),
                             unsigned(t.minutes), unsigned(t.seconds), milliseconds);
}

void RecordSearch::BtnFindClick()
{
    LinkChannel &channel = state_.channel;
    if (channel.running != 0)
        return;
    const RunningFlag running(channel, state_.linkStatus);

    RecordStamp key;
    key.stamp = fields_.read();
    key.milliseconds = fields_.readMilliseconds();
    const auto keyBytes = key.toBytes();

    recordNumber_->setText(QStringLiteral(" "));
    const QString keyText = stampText(key.stamp, key.milliseconds);
    result_->setText(QString::asprintf("%s  Поиск записи", qUtf8Printable(keyText)));
    infoData_->setText(QString());

    uint16_t count = 0;
    uint16_t dataOffset = 0;
    const QString operation = QStringLiteral("Поиск записи");
    const int result = state_.requests.RequestQuery(
        ObjRecordSearch, RecordStamp::kSize, keyBytes.data(), count, dataOffset, 1, operation);
    if (result != 0 || !state_.requests.ReplyHoldsRecord(count, RecordStamp::kSize, 1, operation)) {
        result_->setText(QString::asprintf("%s  ОШИБКА ПОИСКА", qUtf8Printable(keyText)));
        return;
    }
    const RecordStamp found = RecordStamp::fromBytes(channel.rxBuffer + dataOffset);
    recordNumber_->setText(QString::asprintf("%u", unsigned(found.recordNumber)));
    if (found.recordNumber == 0) {
        result_->setText(QString::asprintf("%s  ЗАПИСЬ НЕ НАЙДЕНА", qUtf8Printable(keyText)));
        return;
    }
    const JournalDateTime &s = found.stamp;
    result_->setText(QString::asprintf("%s ->[Ok]-> %02u.%02u.%04u,  %02u:%02u:%02u,%03u",
                                       qUtf8Printable(keyText), unsigned(s.day), unsigned(s.month),
                                       unsigned(s.year), unsigned(s.hours), unsigned(s.minutes),
                                       unsigned(s.seconds), unsigned(found.milliseconds)));
}

} // namespace vestan
