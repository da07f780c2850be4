#include "clock/datetimefields.h"

#include "platform/numbers.h"

#include <QLineEdit>

namespace vestan {
namespace {

constexpr int32_t kMaxMilliseconds = 999;

void setNumber(QLineEdit *field, unsigned value)
{
    field->setText(QString::asprintf("%u", value));
}

uint8_t readByte(QLineEdit *field)
{
    const auto value = uint8_t(parseLenientInt(field->text()));
    setNumber(field, value);
    return value;
}

} // namespace

void DateTimeFields::fill(const QDateTime &localTime) const
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    setNumber(EdDYY, unsigned(date.year()));
    setNumber(EdDMM, unsigned(date.month()));
    setNumber(EdDDD, unsigned(date.day()));
    setNumber(EdTHH, unsigned(time.hour()));
    setNumber(EdTMM, unsigned(time.minute()));
    setNumber(EdTSS, unsigned(time.second()));
}

JournalDateTime DateTimeFields::read() const
{
    JournalDateTime t;
    t.year = uint16_t(parseLenientInt(EdDYY->text()));
    setNumber(EdDYY, t.year);
    t.month = readByte(EdDMM);
    t.day = readByte(EdDDD);
    t.hours = readByte(EdTHH);
    t.minutes = readByte(EdTMM);
    t.seconds = readByte(EdTSS);
    return t;
}

uint16_t DateTimeFields::readMilliseconds() const
{
    const int32_t value = std::min(parseLenientInt(EdTMS->text()), kMaxMilliseconds);
    const auto milliseconds = uint16_t(value);
    EdTMS->setText(QString::asprintf("%03u", unsigned(milliseconds)));
    return milliseconds;
}

} // namespace vestan
