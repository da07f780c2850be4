#include "info/infotexts.h"

#include "maker/tarvel/tarvel.h"
#include "platform/codepage.h"

#include <bit>
#include <cstring>
#include <string_view>

namespace vestan {
namespace {

namespace rec = journalrecord;

constexpr const char *kMonths[12] = {"Янв", "Фев", "Мар", "Апр", "Май", "Июн",
                                     "Июл", "Авг", "Сен", "Окт", "Ноя", "Дек"};

float floatAt(const uint8_t *p)
{
    return std::bit_cast<float>(getU32(p));
}

// A NUL-terminated code page 1251 field that may fill its whole width.
QString textField(const uint8_t *field, std::size_t width)
{
    const char *text = reinterpret_cast<const char *>(field);
    const void *end = std::memchr(text, 0, width);
    const std::size_t length = end ? std::size_t(static_cast<const char *>(end) - text) : width;
    return fromCp1251(std::string_view(text, length));
}

} // namespace

QString FormatJournalDateTime(const uint8_t *record)
{
    if (!record)
        return QString();
    const JournalDateTime t = getJournalDateTime(record);
    if (t.month >= 1 && t.month <= 12)
        return QString::asprintf("%02d-%s-%04d, %02d:%02d:%02d", t.day, kMonths[t.month - 1],
                                 t.year, t.hours, t.minutes, t.seconds);
    return QString::asprintf("  %02d.%02d.%04d, %02d:%02d:%02d", t.day, t.month, t.year, t.hours,
                             t.minutes, t.seconds);
}

QString formatHandlerVersion(const uint8_t *data)
{
    return QString::asprintf("Обработчик запросов по связи: Версия %d-%d-%d-%d от %d.%d.%d",
                             data[0], data[1], data[2], data[3], data[7], data[6],
                             getU16(data + 4));
}

QString controllerVersionText(const uint8_t *journalHeader)
{
    return textField(journalHeader + rec::kVersionText, rec::kVersionTextSize);
}

QStringList journalHeaderSummary(const uint8_t *journalHeader)
{
    const uint8_t *h = journalHeader;
    const QString name = textField(h + rec::kControllerName, rec::kControllerNameSize);
    QStringList lines;
    lines << QString::asprintf("К О Н Т Р О Л Л Е Р:  %s", qUtf8Printable(name));
    lines << QString::asprintf("   Первое включение    %s",
                               qUtf8Printable(FormatJournalDateTime(h + rec::kFirstPowerOn)));
    lines << QString::asprintf("   Последнее включение %s",
                               qUtf8Printable(FormatJournalDateTime(h + rec::kLastPowerOn)));
    lines << QString::asprintf("   Сохранение настроек %s",
                               qUtf8Printable(FormatJournalDateTime(h + rec::kSettingsSaved)));
    lines << QString::asprintf("   Запрос параметров   %s", qUtf8Printable(FormatJournalDateTime(
                                                                h + rec::kParametersRequested)));
    lines << QString();
    lines << QStringLiteral("Ж У Р Н А Л");
    lines << QString();
    lines << QString::asprintf("   Число записей                  %6d",
                               getU16(h + rec::kRecordCount));
    lines << QString::asprintf("   Размер записи                  %6d",
                               getU16(h + rec::kRecordSize));
    lines << QString::asprintf("   MAX. число переменных в записи %6d",
                               getU16(h + rec::kMaxVariables));
    return lines;
}

QString formatPowerReadings(const uint8_t *data)
{
    return QString::asprintf("Uпит=%6.2f,  Fпит=%6.2f,  tв.к=%6.2f", double(floatAt(data)),
                             double(floatAt(data + 4)), double(floatAt(data + 8)));
}

} // namespace vestan
