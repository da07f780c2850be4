#pragma once

#include "protocol/protocol.h"

#include <QString>
#include <cstdint>

namespace vestan {

// The name of a day-of-week byte of CtlDateTime; "???" for values above 6.
QString weekdayName(unsigned dayOfWeek);
// The clock as the clock page shows it: "day.month.year (weekday number-name),  hh:mm:ss".
QString formatControllerClock(const CtlDateTime &t);

// The day of week (0 = Sunday) of a real calendar date, 0 for anything else
// (31 February, month 13, year 0).
uint8_t dayOfWeekOf(uint16_t year, uint8_t month, uint8_t day);

} // namespace vestan
