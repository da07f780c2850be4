#pragma once

#include "protocol/protocol.h"

#include <QString>
#include <array>
#include <cstdint>

namespace vestan {

// The controller's clock, object ObjDateTime: 8 bytes, seconds first, year
// little-endian, then the day of week (0 = Sunday .. 6 = Saturday). Values
// travel unchecked in both directions.
struct CtlDateTime
{
    static constexpr int kSize = kCtlDateTimeSize;

    uint8_t seconds = 0;
    uint8_t minutes = 0;
    uint8_t hours = 0;
    uint8_t day = 0;
    uint8_t month = 0;
    uint16_t year = 0;
    uint8_t dayOfWeek = 0;

    std::array<uint8_t, kSize> toBytes() const;
    static CtlDateTime fromBytes(const uint8_t *bytes);
};

// The name of a day-of-week byte of CtlDateTime; "???" for values above 6.
QString weekdayName(unsigned dayOfWeek);
// The clock as the clock page shows it: "day.month.year (weekday number-name),  hh:mm:ss".
QString formatControllerClock(const CtlDateTime &t);

// The day of week (0 = Sunday) of a real calendar date, 0 for anything else
// (31 February, month 13, year 0).
uint8_t dayOfWeekOf(uint16_t year, uint8_t month, uint8_t day);

} // namespace vestan
