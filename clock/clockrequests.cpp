#include "clock/clockrequests.h"

#include "session/session.h"

#include <array>

namespace vestan {

bool readControllerClock(Session &state, CtlDateTime &clock)
{
    ReplyData reply;
    if (state.requests.RequestRecord(ObjDateTime, kCtlDateTimeSize, nullptr, reply, 1,
                                     QStringLiteral("Чтение системных даты и времени")) != 0)
        return false;
    clock = getCtlDateTime(reply.data.data());
    return true;
}

int setControllerClock(Session &state, const JournalDateTime &fields, CtlDateTime *sent)
{
    CtlDateTime t{fields.seconds, fields.minutes, fields.hours,
                  fields.day,     fields.month,   fields.year};
    t.dayOfWeek = dayOfWeekOf(fields.year, fields.month, fields.day);
    if (sent)
        *sent = t;
    std::array<uint8_t, kCtlDateTimeSize> bytes{};
    putCtlDateTime(bytes.data(), t);
    return state.requests.RequestWrite(ObjDateTime, bytes.data(), kCtlDateTimeSize, 1,
                                       QStringLiteral("Установка даты и времени"));
}

QString recordStampText(const JournalDateTime &t)
{
    return QString::asprintf("%02u.%02u.%04u,  %02u:%02u:%02u,%03u", unsigned(t.day),
                             unsigned(t.month), unsigned(t.year), unsigned(t.hours),
                             unsigned(t.minutes), unsigned(t.seconds), unsigned(t.milliseconds));
}

QString recordSearchRunningText(const QString &keyText)
{
    return QString::asprintf("%s  Поиск записи", qUtf8Printable(keyText));
}

RecordSearchOutcome searchRecord(Session &state, const JournalDateTime &stamp)
{
    std::array<uint8_t, kRecordStampSize> keyBytes{};
    putRecordStamp(keyBytes.data(), RecordStamp{0, stamp});
    RecordSearchOutcome outcome;
    outcome.keyText = recordStampText(stamp);
    const QByteArray keyText = outcome.keyText.toUtf8();

    ReplyData reply;
    if (state.requests.RequestRecord(ObjRecordSearch, kRecordStampSize, keyBytes.data(), reply, 1,
                                     QStringLiteral("Поиск записи")) != 0) {
        outcome.resultText = QString::asprintf("%s  ОШИБКА ПОИСКА", keyText.constData());
        return outcome;
    }
    outcome.answered = true;
    outcome.found = getRecordStamp(reply.data.data());
    if (outcome.found.number == 0) {
        outcome.resultText = QString::asprintf("%s  ЗАПИСЬ НЕ НАЙДЕНА", keyText.constData());
        return outcome;
    }
    outcome.resultText =
        outcome.keyText + QStringLiteral(" ->[Ok]-> ") + recordStampText(outcome.found.stamp);
    return outcome;
}

} // namespace vestan
