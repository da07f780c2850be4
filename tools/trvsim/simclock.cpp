#include "tools/trvsim/simclock.h"

#include <ctime>

namespace vestan::trvsim {

using namespace std::chrono;

SimClock::SimClock() : setAt_(Steady::now())
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    const sys_days day = year{local.tm_year + 1900} / month{unsigned(local.tm_mon + 1)} /
                         std::chrono::day{unsigned(local.tm_mday)};
    base_ = day + hours{local.tm_hour} + minutes{local.tm_min} + seconds{local.tm_sec};
}

bool SimClock::set(const CtlDateTime &c, Steady::time_point now)
{
    const year_month_day date{year{c.year}, month{c.month}, day{c.day}};
    if (!date.ok() || c.seconds > 59 || c.minutes > 59 || c.hours > 23)
        return false;
    base_ = sys_days(date) + hours{c.hours} + minutes{c.minutes} + seconds{c.seconds};
    setAt_ = now;
    return true;
}

CtlDateTime SimClock::read(Steady::time_point now) const
{
    const auto at = base_ + duration_cast<seconds>(now - setAt_);
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{at - day};
    return {uint8_t(time.seconds().count()),   uint8_t(time.minutes().count()),
            uint8_t(time.hours().count()),     uint8_t(unsigned(date.day())),
            uint8_t(unsigned(date.month())),   uint16_t(int(date.year())),
            uint8_t(weekday{day}.c_encoding())};
}

} // namespace vestan::trvsim
