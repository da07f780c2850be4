#include "clock/ctldatetime.h"

#include <QDate>

namespace vestan {

std::array<uint8_t, CtlDateTime::kSize> CtlDateTime::toBytes() const
{
    std::array<uint8_t, kSize> bytes{};
    bytes[0] = seconds;
    bytes[1] = minutes;
    bytes[2] = hours;
    bytes[3] = day;
    bytes[4] = month;
    putU16(bytes.data() + 5, year);
    bytes[7] = dayOfWeek;
    return bytes;
}

CtlDateTime CtlDateTime::fromBytes(const uint8_t *bytes)
{
    CtlDateTime t;
    t.seconds = bytes[0];
    t.minutes = bytes[1];
    t.hours = bytes[2];
    t.day = bytes[3];
    t.month = bytes[4];
    t.year = getU16(bytes + 5);
    t.dayOfWeek = bytes[7];
    return t;
}

QString weekdayName(unsigned dayOfWeek)
{
    // Saturday's first letter is a Latin C, as the controller's users know it.
    static const char *const kNames[] = {"Воскресенье", "Понедельник", "Вторник", "Среда",
                                         "Четверг",     "Пятница",     "Cуббота"};
    if (dayOfWeek < std::size(kNames))
        return QString::fromUtf8(kNames[dayOfWeek]);
    return QStringLiteral("???");
}

uint8_t dayOfWeekOf(uint16_t year, uint8_t month, uint8_t day)
{
    if (!QDate::isValid(year, month, day))
        return 0;
    return uint8_t(QDate(year, month, day).dayOfWeek() % 7); // Qt: Monday 1 .. Sunday 7
}

QString formatControllerClock(const CtlDateTime &t)
{
    return QString::asprintf("%u.%u.%u (%u-%s),  %02u:%02u:%02u", unsigned(t.day),
                             unsigned(t.month), unsigned(t.year), unsigned(t.dayOfWeek),
                             qUtf8Printable(weekdayName(t.dayOfWeek)), unsigned(t.hours),
                             unsigned(t.minutes), unsigned(t.seconds));
}

} // namespace vestan
