#include "clock/clockpage.h"
#include "clock/ctldatetime.h"
#include "platform/codepage.h"
#include "session/session.h"
#include "tests/support/fakelink.h"
#include "tests/support/scriptedhost.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gmock/gmock.h>

namespace vestan {
namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

class ClockPageTest : public ::testing::Test
{
protected:
    ClockPageTest()
    {
        state.api = link.api();
        link.finalCodes = {-5};
        link.errorTexts[-5] = toCp1251("Нет связи");
    }

    QLineEdit *field(const char *name) const { return page.findChild<QLineEdit *>(name); }
    QLabel *label(const char *name) const { return page.findChild<QLabel *>(name); }
    QPushButton *button(const char *name) const { return page.findChild<QPushButton *>(name); }

    void setFields(const char *day, const char *month, const char *year, const char *hours,
                   const char *minutes, const char *seconds)
    {
        field("EdDDD")->setText(day);
        field("EdDMM")->setText(month);
        field("EdDYY")->setText(year);
        field("EdTHH")->setText(hours);
        field("EdTMM")->setText(minutes);
        field("EdTSS")->setText(seconds);
    }

    QStringList fieldTexts() const
    {
        QStringList texts;
        for (const char *name : {"EdDDD", "EdDMM", "EdDYY", "EdTHH", "EdTMM", "EdTSS", "EdTMS"})
            texts << field(name)->text();
        return texts;
    }

    // A controller clock reply: seconds, minutes, hours, day, month, year, day of week.
    void serveClock(int s, int m, int h, int day, int month, int year, int dow)
    {
        link.objects[ObjDateTime] = bytes({s, m, h, day, month, year & 0xFF, year >> 8, dow});
    }

    test::ScriptedHost host;
    test::FakeLink link;
    Session state{host};
    ClockPage page{state};
};

// ---- layout ----

TEST_F(ClockPageTest, ControlsCarryTheirNamesCaptionsAndHints)
{
    EXPECT_EQ(page.objectName(), "TabSDTTM");
    EXPECT_EQ(page.findChild<QGroupBox *>("GrBoxGDTTM")->title(), "Дата и время контроллера");
    EXPECT_EQ(page.findChild<QGroupBox *>("GrBoxSDTTM")->title(),
              "Установка даты и времени, поиск записей");
    EXPECT_EQ(button("BtnGDTTM")->text(), "Читать");
    EXPECT_EQ(button("BtnGDTTM")->toolTip(),
              "Одноразовое чтение системных даты и времени контроллера");
    EXPECT_EQ(button("BtnSDTTM")->text(), "Установить");
    EXPECT_EQ(button("BtnSDTTM")->toolTip(), "Установить датц и время контроллера");
    EXPECT_EQ(button("BtnTime")->text(), "00:00:00");
    EXPECT_EQ(button("BtnTime")->toolTip(), "Установить текущую дату и время");
    EXPECT_EQ(button("BtnSetField")->text(), "Заполнить поля");
    EXPECT_EQ(button("BtnSetField")->toolTip(),
              "Заполнить поля текущими значениями даты и времени");
    EXPECT_EQ(button("BtnFind")->text(), "Поиск записи");
    EXPECT_EQ(button("BtnFind")->toolTip(),
              "Поиск записи в журнале (по заполненным полям даты и времени)");
    EXPECT_EQ(button("BtnMaxYear")->text(), "Max");
    EXPECT_EQ(button("BtnMaxYear")->toolTip(), "Max. год для поиска ПОСЛЕДНЕЙ записи.");
    EXPECT_EQ(field("EdTMS")->toolTip(), "Миллисекунды, только для поиска записей");
    EXPECT_EQ(fieldTexts(), QStringList({"19", "12", "2001", "00", "00", "00", "000"}));
    const QStringList captions = {"Число", "Месяц", "Год", "Часы", "Мин", "Сек", "мс"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(label(qPrintable(QString("Label%1").arg(i + 1)))->text(), captions[i]);
    for (const char *name : {"StTxtGDTTM", "StTxtIDRec", "StTxtRFind", "LblInfoData"}) {
        ASSERT_NE(label(name), nullptr) << name;
        EXPECT_EQ(label(name)->text(), "") << name;
        EXPECT_TRUE(label(name)->alignment() & Qt::AlignHCenter) << name;
    }
}

// ---- fields from the computer's clock ----

TEST_F(ClockPageTest, FillingTheFieldsWritesNoLeadingZerosAndLeavesMilliseconds)
{
    host.now = QDateTime(QDate(2008, 3, 5), QTime(9, 5, 7));
    field("EdTMS")->setText("123");
    page.FillDateTimeFields();
    EXPECT_EQ(fieldTexts(), QStringList({"5", "3", "2008", "9", "5", "7", "123"}));

    host.now = QDateTime(QDate(2010, 11, 30), QTime(23, 59, 0));
    button("BtnSetField")->click();
    EXPECT_EQ(fieldTexts(), QStringList({"30", "11", "2010", "23", "59", "0", "123"}));
    EXPECT_THAT(link.requests, ::testing::IsEmpty());
}

TEST_F(ClockPageTest, TimerShowsTheComputersTimeOnBtnTime)
{
    host.now = QDateTime(QDate(2008, 3, 5), QTime(9, 5, 7));
    page.Timer1Timer();
    EXPECT_EQ(button("BtnTime")->text(), "09:05:07");
}

TEST_F(ClockPageTest, MaxYearChangesOnlyTheYear)
{
    button("BtnMaxYear")->click();
    EXPECT_EQ(fieldTexts(), QStringList({"19", "12", "65535", "00", "00", "00", "000"}));
}

// ---- reading the controller's clock ----

TEST_F(ClockPageTest, ReadShowsDateWeekdayAndTime)
{
    state.channel.netNumber = 7;
    serveClock(7, 5, 10, 19, 12, 2001, 3);
    button("BtnGDTTM")->click();
    EXPECT_EQ(label("StTxtGDTTM")->text(), "19.12.2001 (3-Среда),  10:05:07");
    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0], bytes({7, 2, 0x02, 0x0C, 8, 0}));
    EXPECT_EQ(state.channel.running, 0);

    serveClock(0, 5, 9, 5, 3, 2008, 3);
    page.BtnGDTTMClick();
    EXPECT_EQ(label("StTxtGDTTM")->text(), "5.3.2008 (3-Среда),  09:05:00");
}

TEST_F(ClockPageTest, AnUnknownWeekdayShowsQuestionMarks)
{
    serveClock(0, 0, 0, 1, 1, 2008, 7);
    page.BtnGDTTMClick();
    EXPECT_EQ(label("StTxtGDTTM")->text(), "1.1.2008 (7-?\?\?),  00:00:00");
    serveClock(0, 0, 0, 1, 1, 2008, 255);
    page.BtnGDTTMClick();
    EXPECT_EQ(label("StTxtGDTTM")->text(), "1.1.2008 (255-?\?\?),  00:00:00");
}

TEST_F(ClockPageTest, SaturdayIsSpelledWithALatinC)
{
    serveClock(0, 0, 12, 3, 1, 2009, 6);
    page.BtnGDTTMClick();
    EXPECT_EQ(label("StTxtGDTTM")->text(), "3.1.2009 (6-Cуббота),  12:00:00");
    EXPECT_EQ(weekdayName(6).at(0), QChar(0x43));
}

TEST_F(ClockPageTest, AFailedReadKeepsTheText)
{
    serveClock(7, 5, 10, 19, 12, 2001, 3);
    page.BtnGDTTMClick();
    link.requestResults = {-5};
    host.answers = {kIdOk};
    page.BtnGDTTMClick();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "vestan :\"Чтение системных даты и времени\"");
    EXPECT_EQ(label("StTxtGDTTM")->text(), "19.12.2001 (3-Среда),  10:05:07");
    EXPECT_EQ(state.channel.running, 0);
}

TEST_F(ClockPageTest, AShortReplyIsRefusedNotShownFromStaleBytes)
{
    serveClock(7, 5, 10, 19, 12, 2001, 3);
    page.BtnGDTTMClick();
    link.objects[ObjDateTime] = bytes({1, 2, 3});
    host.answers = {kIdOk};
    page.BtnGDTTMClick();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_EQ(label("StTxtGDTTM")->text(), "19.12.2001 (3-Среда),  10:05:07");
    EXPECT_EQ(state.channel.running, 0);
}

TEST_F(ClockPageTest, NothingStartsWhileAnotherOperationRuns)
{
    state.channel.running = 1;
    field("EdDMM")->setText("-1");
    field("EdTMS")->setText("1500");
    page.BtnGDTTMClick();
    page.SetControllerClock();
    page.BtnFindClick();
    EXPECT_THAT(link.requests, ::testing::IsEmpty());
    EXPECT_EQ(fieldTexts(), QStringList({"19", "-1", "2001", "00", "00", "00", "1500"}));
    EXPECT_EQ(label("StTxtGDTTM")->text(), "");
    EXPECT_EQ(label("StTxtRFind")->text(), "");
    EXPECT_EQ(state.channel.running, 1);
}

// ---- setting the controller's clock ----

TEST_F(ClockPageTest, SetSendsTheFieldsWithTheWeekdayOfTheDate)
{
    setFields("19", "12", "2001", "10", "5", "7");
    button("BtnSDTTM")->click();
    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0], bytes({33, 4, 0x02, 0x0C, 8, 0, 7, 5, 10, 19, 12, 0xD1, 0x07, 3}));
    EXPECT_EQ(state.channel.running, 0);
    EXPECT_EQ(host.boxes.size(), 0u);
}

struct FieldCase
{
    const char *day, *month, *year;
    QByteArray sent; // day, month, year low, year high, day of week
    const char *shownDay, *shownMonth, *shownYear;
};

class ClockFields : public ClockPageTest, public ::testing::WithParamInterface<FieldCase>
{};

TEST_P(ClockFields, ValuesAreCutToTheirFieldAndWrittenBack)
{
    const FieldCase &c = GetParam();
    setFields(c.day, c.month, c.year, "1", "2", "3");
    page.SetControllerClock();
    ASSERT_EQ(link.written.count(ObjDateTime), 1u);
    const QByteArray sent = link.written[ObjDateTime];
    ASSERT_EQ(sent.size(), 8);
    EXPECT_EQ(sent.mid(0, 3), bytes({3, 2, 1}));
    EXPECT_EQ(sent.mid(3), c.sent);
    EXPECT_EQ(field("EdDDD")->text(), c.shownDay);
    EXPECT_EQ(field("EdDMM")->text(), c.shownMonth);
    EXPECT_EQ(field("EdDYY")->text(), c.shownYear);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockFields,
    ::testing::Values(
        FieldCase{"19", "12", "65535", bytes({19, 12, 0xFF, 0xFF, 4}), "19", "12", "65535"},
        FieldCase{"19", "12", "70000", bytes({19, 12, 0x70, 0x11, 5}), "19", "12", "4464"},
        FieldCase{"5", "13", "2008", bytes({5, 13, 0xD8, 0x07, 0}), "5", "13", "2008"},
        FieldCase{"5", "-1", "2008", bytes({5, 255, 0xD8, 0x07, 0}), "5", "255", "2008"},
        FieldCase{"", "3", "", bytes({0, 3, 0, 0, 0}), "0", "3", "0"},
        FieldCase{"31", "2", "2001", bytes({31, 2, 0xD1, 0x07, 0}), "31", "2", "2001"},
        FieldCase{" +07x", "03", "2008", bytes({7, 3, 0xD8, 0x07, 5}), "7", "3", "2008"},
        FieldCase{"300", "5", "2008", bytes({44, 5, 0xD8, 0x07, 0}), "44", "5", "2008"}));

TEST_F(ClockPageTest, TimeFieldsAreCutAndWrittenBackToo)
{
    setFields("1", "1", "2008", "-1", "abc", "256");
    page.SetControllerClock();
    EXPECT_EQ(link.written[ObjDateTime].left(3), bytes({0, 0, 255}));
    EXPECT_EQ(fieldTexts().mid(3, 3), QStringList({"255", "0", "0"}));
}

TEST_F(ClockPageTest, AFailedWriteKeepsTheNormalisedFields)
{
    setFields(" 5", "-1", "70000", "", "", "");
    link.requestResults = {-5};
    host.answers = {kIdOk};
    page.SetControllerClock();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "vestan :\"Установка даты и времени\"");
    EXPECT_EQ(fieldTexts(), QStringList({"5", "255", "4464", "0", "0", "0", "000"}));
    EXPECT_EQ(state.channel.running, 0);
}

TEST_F(ClockPageTest, BtnTimeSetsTheControllerToTheComputersTime)
{
    host.now = QDateTime(QDate(2008, 5, 14), QTime(9, 30, 15));
    button("BtnTime")->click();
    EXPECT_EQ(fieldTexts().mid(0, 6), QStringList({"14", "5", "2008", "9", "30", "15"}));
    EXPECT_EQ(link.written[ObjDateTime], bytes({15, 30, 9, 14, 5, 0xD8, 0x07, 3}));
}

TEST_F(ClockPageTest, BtnTimeDuringAnOperationFillsButSendsNothing)
{
    state.channel.running = 1;
    host.now = QDateTime(QDate(2008, 5, 14), QTime(9, 30, 15));
    page.BtnTimeClick();
    EXPECT_EQ(fieldTexts().mid(0, 6), QStringList({"14", "5", "2008", "9", "30", "15"}));
    EXPECT_THAT(link.requests, ::testing::IsEmpty());
}

// ---- record search ----

class RecordSearchTest : public ClockPageTest
{
protected:
    // A reply: record number, year, month, day, hours, minutes, seconds, milliseconds.
    void serveRecord(int record, int year, int month, int day, int h, int m, int s, int ms)
    {
        link.objects[ObjRecordSearch] = bytes({record & 0xFF, record >> 8, year & 0xFF, year >> 8,
                                               month, day, h, m, s, ms & 0xFF, ms >> 8});
    }
};

TEST_F(RecordSearchTest, AFoundRecordShowsItsNumberAndStamp)
{
    setFields("19", "12", "2001", "10", "5", "7");
    field("EdTMS")->setText("250");
    label("LblInfoData")->setText("old");
    label("StTxtIDRec")->setText("99");
    serveRecord(1534, 2001, 12, 19, 10, 4, 59, 120);
    QString duringId, duringFind, duringInfo;
    link.beforeRequest = [&](int) {
        duringId = label("StTxtIDRec")->text();
        duringFind = label("StTxtRFind")->text();
        duringInfo = label("LblInfoData")->text();
    };
    button("BtnFind")->click();

    EXPECT_EQ(duringId, " ");
    EXPECT_EQ(duringFind, "19.12.2001,  10:05:07,250  Поиск записи");
    EXPECT_EQ(duringInfo, "");
    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0],
              bytes({33, 2, 0xFF, 0x0A, 11, 0, 0, 0, 0xD1, 0x07, 12, 19, 10, 5, 7, 0xFA, 0x00}));
    EXPECT_EQ(label("StTxtIDRec")->text(), "1534");
    EXPECT_EQ(label("StTxtRFind")->text(),
              "19.12.2001,  10:05:07,250 ->[Ok]-> 19.12.2001,  10:04:59,120");
    EXPECT_EQ(state.channel.running, 0);
}

struct MillisecondCase
{
    const char *text;
    int low, high;
    const char *shown;
};

class SearchMilliseconds : public RecordSearchTest,
                           public ::testing::WithParamInterface<MillisecondCase>
{};

TEST_P(SearchMilliseconds, MillisecondsAreCutTo999AndShownWithThreeDigits)
{
    const MillisecondCase &c = GetParam();
    serveRecord(0, 0, 0, 0, 0, 0, 0, 0);
    field("EdTMS")->setText(c.text);
    page.BtnFindClick();
    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0].mid(15), bytes({c.low, c.high}));
    EXPECT_EQ(field("EdTMS")->text(), c.shown);
    EXPECT_TRUE(
        label("StTxtRFind")->text().startsWith(QString("19.12.2001,  00:00:00,") + c.shown));
}

INSTANTIATE_TEST_SUITE_P(Cases, SearchMilliseconds,
                         ::testing::Values(MillisecondCase{"1500", 0xE7, 0x03, "999"},
                                           MillisecondCase{"7", 7, 0, "007"},
                                           MillisecondCase{"500", 0xF4, 0x01, "500"},
                                           MillisecondCase{"", 0, 0, "000"},
                                           MillisecondCase{"999", 0xE7, 0x03, "999"},
                                           MillisecondCase{"x12", 0, 0, "000"}));

TEST_F(RecordSearchTest, TheMaxYearKeyIsSentAsFfFf)
{
    serveRecord(0, 0, 0, 0, 0, 0, 0, 0);
    button("BtnMaxYear")->click();
    page.BtnFindClick();
    EXPECT_EQ(link.requests[0].mid(8, 2), bytes({0xFF, 0xFF}));
    EXPECT_EQ(label("StTxtRFind")->text(), "19.12.65535,  00:00:00,000  ЗАПИСЬ НЕ НАЙДЕНА");
}

TEST_F(RecordSearchTest, RecordZeroIsNotFoundWhateverTheStamp)
{
    setFields("1", "2", "2003", "4", "5", "6");
    serveRecord(0, 2009, 9, 9, 9, 9, 9, 999);
    page.BtnFindClick();
    EXPECT_EQ(label("StTxtIDRec")->text(), "0");
    EXPECT_EQ(label("StTxtRFind")->text(), "01.02.2003,  04:05:06,000  ЗАПИСЬ НЕ НАЙДЕНА");
}

TEST_F(RecordSearchTest, AFailedSearchShowsTheErrorAndNoNumber)
{
    serveRecord(12, 2001, 12, 19, 0, 0, 0, 0);
    page.BtnFindClick();
    ASSERT_EQ(label("StTxtIDRec")->text(), "12");
    link.requestResults = {-5};
    host.answers = {kIdOk};
    field("EdDYY")->setText("70000");
    page.BtnFindClick();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "vestan :\"Поиск записи\"");
    EXPECT_EQ(label("StTxtIDRec")->text(), " ");
    EXPECT_EQ(label("StTxtRFind")->text(), "19.12.4464,  00:00:00,000  ОШИБКА ПОИСКА");
    EXPECT_EQ(state.channel.running, 0);
}

TEST_F(RecordSearchTest, AShortReplyCountsAsAFailedSearch)
{
    serveRecord(12, 2001, 12, 19, 0, 0, 0, 0);
    page.BtnFindClick();
    link.objects[ObjRecordSearch] = bytes({12, 0, 0xD1, 0x07});
    host.answers = {kIdOk};
    page.BtnFindClick();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(label("StTxtIDRec")->text(), " ");
    EXPECT_TRUE(label("StTxtRFind")->text().endsWith("  ОШИБКА ПОИСКА"));
}

// ---- records ----

TEST(ClockRecords, DayOfWeekOfRealDatesOnly)
{
    EXPECT_EQ(dayOfWeekOf(2001, 12, 19), 3);
    EXPECT_EQ(dayOfWeekOf(2008, 1, 1), 2);
    EXPECT_EQ(dayOfWeekOf(2008, 5, 11), 0);
    EXPECT_EQ(dayOfWeekOf(2000, 2, 29), 2);
    EXPECT_EQ(dayOfWeekOf(2001, 2, 29), 0);
    EXPECT_EQ(dayOfWeekOf(2001, 13, 1), 0);
    EXPECT_EQ(dayOfWeekOf(0, 1, 1), 0);
}

} // namespace
} // namespace vestan
