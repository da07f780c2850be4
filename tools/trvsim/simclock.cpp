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

bool SimClock::set(const CtlDateTime &b, Steady::time_point now)
{
    const unsigned sec = b[0], min = b[1], hour = b[2], d = b[3], m = b[4];
    const int y = getU16(b.data() + 5);
    const year_month_day date{year{y}, month{m}, day{d}};
    if (!date.ok() || sec > 59 || min > 59 || hour > 23)
        return false;
    base_ = sys_days(date) + hours{hour} + minutes{min} + seconds{sec};
    setAt_ = now;
    return true;
}

CtlDateTime SimClock::read(Steady::time_point now) const
{
    const auto at = base_ + duration_cast<seconds>(now - setAt_);
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{at - day};
    const int y = int(date.year());
    CtlDateTime out{};
    out[0] = uint8_t(time.seconds().count());
    out[1] = uint8_t(time.minutes().count());
    out[2] = uint8_t(time.hours().count());
    out[3] = uint8_t(unsigned(date.day()));
    out[4] = uint8_t(unsigned(date.month()));
    putU16(out.data() + 5, uint16_t(y));
    out[7] = uint8_t(weekday{day}.c_encoding());
    return out;
}

} // namespace vestan::trvsim
