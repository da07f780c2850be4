#include "info/infotexts.h"
#include "maker/tarvel/tarvel.h"
#include "printing.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace vestan {
namespace {

namespace rec = journalrecord;

std::array<uint8_t, 7> stamp(unsigned year, unsigned month, unsigned day, unsigned h, unsigned m,
                             unsigned s)
{
    return {uint8_t(year), uint8_t(year >> 8), uint8_t(month), uint8_t(day),
            uint8_t(h),    uint8_t(m),         uint8_t(s)};
}

TEST(FormatJournalDateTime, NoRecordGivesEmptyText)
{
    EXPECT_EQ(FormatJournalDateTime(nullptr), QString());
}

TEST(FormatJournalDateTime, MonthsByAbbreviation)
{
    EXPECT_EQ(FormatJournalDateTime(stamp(2008, 5, 14, 9, 30, 0).data()),
              QStringLiteral("14-Май-2008, 09:30:00"));
    EXPECT_EQ(FormatJournalDateTime(stamp(2008, 1, 1, 0, 0, 0).data()),
              QStringLiteral("01-Янв-2008, 00:00:00"));
    EXPECT_EQ(FormatJournalDateTime(stamp(1999, 12, 31, 23, 59, 58).data()),
              QStringLiteral("31-Дек-1999, 23:59:58"));
    EXPECT_EQ(FormatJournalDateTime(stamp(7, 9, 2, 1, 2, 3).data()),
              QStringLiteral("02-Сен-0007, 01:02:03"));
}

TEST(FormatJournalDateTime, MonthOutsideTheYearIsANumber)
{
    EXPECT_EQ(FormatJournalDateTime(stamp(0, 0, 0, 0, 0, 0).data()),
              QStringLiteral("  00.00.0000, 00:00:00"));
    EXPECT_EQ(FormatJournalDateTime(stamp(2010, 13, 5, 6, 7, 8).data()),
              QStringLiteral("  05.13.2010, 06:07:08"));
}

TEST(FormatJournalDateTime, LongestTextHas28Characters)
{
    const QString text = FormatJournalDateTime(stamp(65535, 255, 255, 255, 255, 255).data());
    EXPECT_EQ(text, QStringLiteral("  255.255.65535, 255:255:255"));
    EXPECT_EQ(text.size(), 28);
}

TEST(InfoTexts, HandlerVersionPutsTheDayFirst)
{
    const uint8_t data[8] = {2, 1, 0, 5, 0xD7, 0x07, 3, 3};
    EXPECT_EQ(formatHandlerVersion(data),
              QStringLiteral("Обработчик запросов по связи: Версия 2-1-0-5 от 3.3.2007"));
    const uint8_t other[8] = {255, 10, 0, 1, 0xDA, 0x07, 11, 25};
    EXPECT_EQ(formatHandlerVersion(other),
              QStringLiteral("Обработчик запросов по связи: Версия 255-10-0-1 от 25.11.2010"));
}

TEST(InfoTexts, PowerReadingsRightAlignedWithTwoDecimals)
{
    const uint8_t data[12] = {0x00, 0x80, 0x66, 0x43, 0x00, 0x00,
                              0x48, 0x42, 0x00, 0x00, 0x11, 0x42};
    EXPECT_EQ(formatPowerReadings(data), QStringLiteral("Uпит=230.50,  Fпит= 50.00,  tв.к= 36.25"));
}

TEST(InfoTexts, WidePowerValueIsNotCut)
{
    uint8_t data[12] = {};
    const float volts = 1234.567f;
    const float cold = -5.0f;
    std::memcpy(data, &volts, 4);
    std::memcpy(data + 8, &cold, 4);
    EXPECT_EQ(formatPowerReadings(data),
              QStringLiteral("Uпит=1234.57,  Fпит=  0.00,  tв.к= -5.00"));
}

class SummaryTest : public ::testing::Test
{
protected:
    std::vector<uint8_t> record = std::vector<uint8_t>(kJournalHeaderRecordSize, 0);

    void putStamp(std::size_t at, const std::array<uint8_t, 7> &s)
    {
        std::memcpy(record.data() + at, s.data(), s.size());
    }
    void putU16(std::size_t at, unsigned v)
    {
        record[at] = uint8_t(v);
        record[at + 1] = uint8_t(v >> 8);
    }
};

TEST_F(SummaryTest, ElevenLinesWithTheirPadding)
{
    // "Узел 7" in code page 1251.
    const char name[] = "\xD3\xE7\xE5\xEB 7";
    std::memcpy(record.data() + rec::kControllerName, name, sizeof name);
    putStamp(rec::kFirstPowerOn, stamp(2001, 12, 19, 8, 0, 1));
    putStamp(rec::kLastPowerOn, stamp(0, 0, 0, 0, 0, 0));
    putStamp(rec::kSettingsSaved, stamp(2008, 5, 14, 9, 30, 0));
    putStamp(rec::kParametersRequested, stamp(2009, 2, 28, 12, 5, 59));
    putU16(rec::kRecordCount, 17);
    putU16(rec::kRecordSize, 1024);
    putU16(rec::kMaxVariables, 65535);

    const QStringList expected = {
        QStringLiteral("К О Н Т Р О Л Л Е Р:  Узел 7"),
        QStringLiteral("   Первое включение    19-Дек-2001, 08:00:01"),
        QStringLiteral("   Последнее включение   00.00.0000, 00:00:00"),
        QStringLiteral("   Сохранение настроек 14-Май-2008, 09:30:00"),
        QStringLiteral("   Запрос параметров   28-Фев-2009, 12:05:59"),
        QString(),
        QStringLiteral("Ж У Р Н А Л"),
        QString(),
        QStringLiteral("   Число записей                      17"),
        QStringLiteral("   Размер записи                    1024"),
        QStringLiteral("   MAX. число переменных в записи  65535"),
    };
    EXPECT_EQ(journalHeaderSummary(record.data()), expected);
}

TEST_F(SummaryTest, TextsThatFillTheirFieldStopAtTheField)
{
    std::memset(record.data() + rec::kVersionText, 'V', rec::kVersionTextSize);
    std::memset(record.data() + rec::kControllerName, 'N', rec::kControllerNameSize);
    EXPECT_EQ(controllerVersionText(record.data()), QString(64, QLatin1Char('V')));
    EXPECT_EQ(journalHeaderSummary(record.data()).first(),
              QStringLiteral("К О Н Т Р О Л Л Е Р:  ") + QString(76, QLatin1Char('N')));
}

TEST_F(SummaryTest, VersionTextFromCodePage1251)
{
    const char text[] = "\xC2\xE5\xF0\xF1\xE8\xFF 3.1"; // "Версия 3.1"
    std::memcpy(record.data() + rec::kVersionText, text, sizeof text);
    EXPECT_EQ(controllerVersionText(record.data()), QStringLiteral("Версия 3.1"));
}

} // namespace
} // namespace vestan
