// The program's operations end to end: real widgets, the real trvCLNK.so and
// trvsim on a pseudo-terminal; stored files against what trvsim dumped.

#include "journal/journalcheck.h"
#include "tests/e2e/programrig.h"
#include "tools/trvsim/controller.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace vestan::test {
namespace {

class ProgramEndToEnd : public ProgramRig
{
protected:
    void setField(const char *name, const QString &text)
    {
        auto *field = find<QLineEdit>(name);
        ASSERT_NE(field, nullptr) << name;
        field->setText(text);
    }
    QString label(const char *name) const
    {
        auto *text = find<QLabel>(name);
        return text ? text->text() : QStringLiteral("<missing>");
    }
    // The simulator's journal as trvsim builds it for its default options.
    static journalformat::JournalSpec simJournal(uint32_t records)
    {
        trvsim::SimOptions options;
        options.records = records;
        return trvsim::journalSpecFor(options);
    }
};

TEST_F(ProgramEndToEnd, RequestLayerReadsTheJournalHeaderSize)
{
    ASSERT_NO_FATAL_FAILURE(startProgram({}));
    ASSERT_NO_FATAL_FAILURE(openLink());
    uint32_t size = 0;
    EXPECT_EQ(state->requests.RequestSize(ObjJournalHeader, size, 1, QStringLiteral("size")), 0)
        << boxText();
    EXPECT_EQ(qint64(size), QFileInfo(line->dumpFile(QStringLiteral("0B00.bin"))).size());
    EXPECT_GT(size, 0u);
}

TEST_F(ProgramEndToEnd, JournalDownloadStoresTheDumpedJournal)
{
    ASSERT_NO_FATAL_FAILURE(
        startProgram(simWith({QStringLiteral("--records"), QStringLiteral("700")})));
    ASSERT_NO_FATAL_FAILURE(openLink());
    // A portion size that leaves a short last portion in both objects.
    find<QComboBox>("CBoxSize")->setCurrentIndex(6);
    ASSERT_EQ(state->session.portionSize, 1000);
    host.savePath = target("journal.dat");
    click("SBtnJurLink");

    EXPECT_TRUE(host.boxes.size() == 1 && host.unexpectedBoxes == 0) << boxText();
    EXPECT_EQ(compareFiles(host.savePath, line->dumpFile(QStringLiteral("journal.dat"))),
              QString());
    EXPECT_EQ(CheckJournalFile(host, host.savePath, nullptr), 0) << boxText();
    EXPECT_EQ(label("StTLJurIFile"), host.savePath);
    EXPECT_EQ(label("StTLJurISize"), QStringLiteral("Заголовок 224, данные 44800"));
    EXPECT_EQ(find<QComboBox>("CBoxJurFile")->itemText(0), host.savePath);
    EXPECT_TRUE(tmpEntries().isEmpty()) << tmpEntries().join(u' ').toStdString();
    EXPECT_EQ(state->channel.running, 0);
}

TEST_F(ProgramEndToEnd, SoftwareImageUploadStoresTheDumpedImage)
{
    ASSERT_NO_FATAL_FAILURE(startProgram({}));
    ASSERT_NO_FATAL_FAILURE(openLink());
    host.savePath = target("image.bin");
    click("SBtnGet");

    EXPECT_EQ(compareFiles(host.savePath, line->dumpFile(QStringLiteral("0900.bin"))), QString())
        << boxText();
    EXPECT_EQ(QFileInfo(host.savePath).size(), 524288);
    EXPECT_EQ(host.unexpectedBoxes, 0) << boxText();
    EXPECT_TRUE(tmpEntries().isEmpty());
}

TEST_F(ProgramEndToEnd, ClockIsSetThenReadBackWithItsWeekday)
{
    ASSERT_NO_FATAL_FAILURE(startProgram({}));
    ASSERT_NO_FATAL_FAILURE(openLink());
    // 29 February 2024 was a Thursday (4).
    setField("EdDDD", QStringLiteral("29"));
    setField("EdDMM", QStringLiteral("2"));
    setField("EdDYY", QStringLiteral("2024"));
    setField("EdTHH", QStringLiteral("10"));
    setField("EdTMM", QStringLiteral("20"));
    setField("EdTSS", QStringLiteral("30"));
    click("BtnSDTTM");
    click("BtnGDTTM");
    ASSERT_TRUE(host.boxes.empty()) << boxText();

    const QString shown = label("StTxtGDTTM");
    EXPECT_TRUE(shown.startsWith(QStringLiteral("29.2.2024 (4-Четверг),  10:20:3")))
        << shown.toStdString();
    // The controller's clock runs on from the set time, a second or two at most.
    const int seconds = shown.right(2).toInt();
    EXPECT_GE(seconds, 30);
    EXPECT_LE(seconds, 32);
}

TEST_F(ProgramEndToEnd, InformationReadoutShowsTheSimulatorsControllerAndDates)
{
    ASSERT_NO_FATAL_FAILURE(startProgram({}));
    ASSERT_NO_FATAL_FAILURE(openLink());
    click("BtnI1");
    ASSERT_TRUE(host.boxes.empty()) << boxText();

    const QString memo = find<QPlainTextEdit>("MemoInfo")->toPlainText();
    for (const char *expected :
         {"К О Н Т Р О Л Л Е Р:  Контроллер TARVEL (симулятор)",
          "   Первое включение    14-Мар-2023, 08:00:00",
          "   Последнее включение 20-Май-2024, 07:30:15",
          "   Сохранение настроек 18-Май-2024, 16:45:00",
          "   Запрос параметров   20-Май-2024, 07:31:02",
          "   Число записей                    1000", "   Размер записи                      64"})
        EXPECT_TRUE(memo.contains(QString::fromUtf8(expected))) << expected << "\nin:\n"
                                                                << memo.toStdString();
    EXPECT_EQ(label("StTxtVersion"), QStringLiteral("trvsim 1.0, обработчик запросов 2.1"));
}

TEST_F(ProgramEndToEnd, RecordSearchBetweenTwoRecordsFindsTheEarlierAndMaxFindsTheLast)
{
    ASSERT_NO_FATAL_FAILURE(startProgram({}));
    ASSERT_NO_FATAL_FAILURE(openLink());
    const journalformat::JournalSpec spec = simJournal(1000);
    // Record 42 and record 43 are 1500 ms apart; the key lies 700 ms after 42.
    const JournalDateTime r42 = journalformat::recordStamp(spec, 41);
    const JournalDateTime r43 = journalformat::recordStamp(spec, 42);
    uint32_t keyMs = r42.milliseconds + 700;
    JournalDateTime key = r42;
    key.seconds = uint8_t(key.seconds + keyMs / 1000);
    key.milliseconds = uint16_t(keyMs % 1000);
    ASSERT_TRUE(r42 < key && key < r43);

    setField("EdDDD", QString::number(key.day));
    setField("EdDMM", QString::number(key.month));
    setField("EdDYY", QString::number(key.year));
    setField("EdTHH", QString::number(key.hours));
    setField("EdTMM", QString::number(key.minutes));
    setField("EdTSS", QString::number(key.seconds));
    setField("EdTMS", QString::number(key.milliseconds));
    click("BtnFind");
    ASSERT_TRUE(host.boxes.empty()) << boxText();
    EXPECT_EQ(label("StTxtIDRec"), QStringLiteral("42"));
    const auto stamp = [](const JournalDateTime &s) {
        return QString::asprintf("%02u.%02u.%04u,  %02u:%02u:%02u,%03u", unsigned(s.day),
                                 unsigned(s.month), unsigned(s.year), unsigned(s.hours),
                                 unsigned(s.minutes), unsigned(s.seconds),
                                 unsigned(s.milliseconds));
    };
    EXPECT_TRUE(label("StTxtRFind").endsWith(QStringLiteral(" ->[Ok]-> ") + stamp(r42)))
        << label("StTxtRFind").toStdString();

    click("BtnMaxYear");
    EXPECT_EQ(find<QLineEdit>("EdDYY")->text(), QStringLiteral("65535"));
    click("BtnFind");
    EXPECT_EQ(label("StTxtIDRec"), QStringLiteral("1000"));
    EXPECT_TRUE(
        label("StTxtRFind")
            .endsWith(QStringLiteral(" ->[Ok]-> ") + stamp(journalformat::recordStamp(spec, 999))))
        << label("StTxtRFind").toStdString();
}

TEST_F(ProgramEndToEnd, ModemDialsOnOpenAndHangsUpOnClose)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(simWith({QStringLiteral("--modem")})));
    auto *phone = find<QLineEdit>("EdPhone");
    phone->setFocus();
    phone->setText(QStringLiteral("  2301177 "));
    QTest::keyClick(phone, Qt::Key_Return);
    ASSERT_EQ(state->session.phoneNumber, QStringLiteral("2301177"));

    ASSERT_NO_FATAL_FAILURE(openLink());
    const QStringList dialled = line->simulatorLines(5000);
    EXPECT_TRUE(dialled.contains(QStringLiteral("modem: DIAL T 2301177")))
        << dialled.join(u'\n').toStdString();
    EXPECT_TRUE(dialled.contains(QStringLiteral("modem: CONNECT")));
    // Through the modem the controller answers as on a direct line.
    uint32_t size = 0;
    EXPECT_EQ(state->requests.RequestSize(ObjJournalHeader, size, 1, QString()), 0) << boxText();
    EXPECT_EQ(size, 224u);

    click("SBtnComOpenClose");
    EXPECT_EQ(state->channel.isOpen, 0);
    EXPECT_EQ(find<QAbstractButton>("SBtnComOpenClose")->text(), QStringLiteral("Открыть"));
    const QStringList closed = line->simulatorLines(5000);
    EXPECT_TRUE(closed.contains(QStringLiteral("modem: HANGUP")))
        << closed.join(u'\n').toStdString();
    EXPECT_TRUE(host.boxes.empty()) << boxText();
}

// What the field shows is what is dialled, even when the open button is
// clicked straight after typing; what a modem cannot dial is refused.
TEST_F(ProgramEndToEnd, TheNumberAsShownIsDialledAndAnUndialableOneIsRefused)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(simWith({QStringLiteral("--modem")})));
    auto *phone = find<QLineEdit>("EdPhone");
    phone->setText(QStringLiteral("\u260E 8-495-123"));
    click("SBtnComOpenClose");
    EXPECT_EQ(state->channel.isOpen, 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, QStringLiteral("Vestan:COM2"));
    EXPECT_TRUE(host.boxes[0].text.startsWith(QStringLiteral("Номер телефона содержит символы")))
        << boxText();
    EXPECT_FALSE(line->simulatorLines(500).join(u'\n').contains(QStringLiteral("DIAL")));

    phone->setText(QStringLiteral(" 230\n1177 "));
    ASSERT_NO_FATAL_FAILURE(openLink());
    EXPECT_EQ(phone->text(), QStringLiteral("2301177"));
    EXPECT_TRUE(line->simulatorLines(5000).contains(QStringLiteral("modem: DIAL T 2301177")));
}

// A second copy of the program, while this one asks whether to replace the
// file it stores to (the temporary file is closed by then), can neither take
// nor delete the temporary file.
TEST_F(ProgramEndToEnd, ASecondCopyCannotTouchTheTemporaryFileWhileTheFirstStores)
{
    ASSERT_NO_FATAL_FAILURE(startProgram({}));
    ASSERT_NO_FATAL_FAILURE(openLink());
    host.savePath = target("journal.dat");
    QFile old(host.savePath);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    host.answers = {kIdYes};
    ScriptedHost otherHost;
    ProgramState other(otherHost);
    other.paths = state->paths;
    bool tried = false;
    host.onMessageBox = [&](const RecordedBox &box) {
        if (tried || !box.text.startsWith(QStringLiteral("Заменить существующий файл?")))
            return;
        tried = true;
        other.tempFile.CreateTempFile();
        other.tempFile.DeleteTempFile();
    };
    click("SBtnJurLink");
    ASSERT_TRUE(tried) << boxText();
    EXPECT_FALSE(other.tempFile.isRegistered());
    EXPECT_EQ(otherHost.boxes.size(), 1u);
    EXPECT_EQ(compareFiles(host.savePath, line->dumpFile(QStringLiteral("journal.dat"))),
              QString());
    EXPECT_TRUE(tmpEntries().isEmpty());
}

} // namespace
} // namespace vestan::test

namespace vestan::test {
namespace {

// The library sends the next portion's request while a reply arrives; the
// program must see exactly the same journal, and a request after a walk that
// ended on a full portion must not be answered by the reply sent ahead.
TEST_F(ProgramEndToEnd, ReadAheadKeepsTheJournalAndNeverAnswersTheNextRequest)
{
    // 1024 records of 64 bytes: the last data portion is a full one.
    ASSERT_NO_FATAL_FAILURE(
        startProgram(simWith({QStringLiteral("--records"), QStringLiteral("1024")})));
    ASSERT_NO_FATAL_FAILURE(openLink());
    host.savePath = target("journal.dat");
    click("SBtnJurLink");
    EXPECT_EQ(compareFiles(host.savePath, line->dumpFile(QStringLiteral("journal.dat"))),
              QString());
    EXPECT_EQ(host.boxes.size(), 1u) << boxText();

    // The reply to the block after the end is on its way; the size of the
    // header is what comes back, not that.
    uint32_t size = 0;
    state->channel.running = 1;
    EXPECT_EQ(state->requests.RequestSize(ObjJournalHeader, size, 1, QString()), 0) << boxText();
    state->channel.running = 0;
    EXPECT_EQ(size, 224u);
    EXPECT_EQ(host.retryQuestions, 0);
}

} // namespace
} // namespace vestan::test
