#pragma once

#include "clock/ctldatetime.h"

#include <QDateTime>
#include <cstdint>

class QLineEdit;

namespace vestan {

// The page's date and time edit fields: day, month, year, hours, minutes,
// seconds and the milliseconds of the record search. Values are read
// leniently, cut to the width of their wire field and written back, so the
// user sees what is sent.
struct DateTimeFields
{
    QLineEdit *EdDDD = nullptr;
    QLineEdit *EdDMM = nullptr;
    QLineEdit *EdDYY = nullptr;
    QLineEdit *EdTHH = nullptr;
    QLineEdit *EdTMM = nullptr;
    QLineEdit *EdTSS = nullptr;
    QLineEdit *EdTMS = nullptr;

    // The six date and time fields from a local time, without leading zeros.
    void fill(const QDateTime &localTime) const;
    // Year cut to 16 bits, the others to 8; each field rewritten with "%u".
    JournalDateTime read() const;
    // Above 999 gives 999; low 16 bits; rewritten with "%03u".
    uint16_t readMilliseconds() const;
};

} // namespace vestan
