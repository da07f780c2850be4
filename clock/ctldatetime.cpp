#include "clock/ctldatetime.h"

#include <QDate>

namespace vestan {

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
