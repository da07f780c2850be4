// The journal download and the request layer on a bad line: seeded faults in
// linesim, a dead line, a dying controller, a full disk and a misbehaving
// controller. Every test is bounded: small time-outs in trvCLNK.ini and
// unpaced lines keep each within a few seconds.

#include "journal/journalcheck.h"
#include "tests/e2e/programrig.h"
#include "tests/journal/transferrig.h"

#include <QLabel>

namespace vestan::test {
namespace {

const QString kMiB = QStringLiteral("16384"); // records of 64 bytes: a 1 MiB data area

class Reliability : public ProgramRig
{
protected:
    // A 1 MiB journal behind linesim with the given faults.
    static LineSetup faultyLine(const QStringList &faults)
    {
        LineSetup setup;
        setup.throughLineSim = true;
        setup.lineArguments = QStringList{QStringLiteral("--seed"), QStringLiteral("11")} + faults;
        setup.simArguments = {QStringLiteral("--records"), kMiB};
        // Short time-outs keep the test short: a lost reply costs little more
        // than its line time, a frame cut short five quiet milliseconds.
        setup.replyTimeoutMs = 50;
        setup.interByteTimeoutMs = 5;
        return setup;
    }

    static LineSetup directLine(const QStringList &simArguments, int replyTimeoutMs = 100)
    {
        LineSetup setup;
        setup.simArguments = simArguments;
        setup.replyTimeoutMs = replyTimeoutMs;
        setup.interByteTimeoutMs = 20;
        return setup;
    }

    // The library counts since it was loaded, for the whole process: the
    // counts of this test are taken from the moment its link opened.
    void openCounted()
    {
        ASSERT_NO_FATAL_FAILURE(openLink());
        baseline_ = readStatisticsDialog([this] { click("SBtnComState"); });
        ASSERT_FALSE(baseline_.isEmpty()) << "no statistics dialog";
    }

    QMap<QString, qint64> statistics()
    {
        QMap<QString, qint64> counted;
        const QMap<QString, QString> now = readStatisticsDialog([this] { click("SBtnComState"); });
        for (auto it = now.begin(); it != now.end(); ++it)
            counted.insert(it.key(),
                           it.value().toLongLong() - baseline_.value(it.key()).toLongLong());
        return counted;
    }

    static qint64 number(const QMap<QString, qint64> &stats, const char *label)
    {
        return stats.value(QString::fromUtf8(label).trimmed(), -1);
    }

    // The download stored the dumped journal with nothing but the storing question.
    void expectCleanDownload()
    {
        EXPECT_EQ(host.retryQuestions, 0) << boxText();
        EXPECT_EQ(host.unexpectedBoxes, 0) << boxText();
        ASSERT_EQ(host.boxes.size(), 1u) << boxText();
        EXPECT_EQ(compareFiles(host.savePath, line->dumpFile(QStringLiteral("journal.dat")))
                      .toStdString(),
                  "");
        EXPECT_TRUE(tmpEntries().isEmpty());
    }

    QMap<QString, QString> baseline_;

    // The link statistics saw the faults and counted every failed attempt.
    void expectRetriesCounted(const char *kind)
    {
        const QMap<QString, qint64> stats = statistics();
        ASSERT_FALSE(stats.isEmpty()) << "no statistics dialog";
        const qint64 failed = number(stats, "Неудачных попыток всего");
        EXPECT_GT(failed, 0);
        EXPECT_GT(number(stats, kind), 0) << kind;
        // Every request sent either got its reply or is a failed attempt.
        EXPECT_EQ(number(stats, "Запросов") - number(stats, "Ответов"), failed);
    }
};

TEST_F(Reliability, CorruptedBytesAreAbsorbedByTheAttempts)
{
    ASSERT_NO_FATAL_FAILURE(
        startProgram(faultyLine({QStringLiteral("--corrupt"), QStringLiteral("1e-4")})));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    host.savePath = target("journal.dat");
    click("SBtnJurLink");
    expectCleanDownload();
    expectRetriesCounted("ошибка контрольной суммы");
    EXPECT_GT(line->stopLineSim().value(QStringLiteral("b_to_a.corrupted")), 10);
}

TEST_F(Reliability, DroppedBytesAreAbsorbedByTheAttempts)
{
    ASSERT_NO_FATAL_FAILURE(
        startProgram(faultyLine({QStringLiteral("--drop"), QStringLiteral("5e-4")})));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    host.savePath = target("journal.dat");
    click("SBtnJurLink");
    expectCleanDownload();
    expectRetriesCounted("искажённый кадр");
    EXPECT_GT(line->stopLineSim().value(QStringLiteral("b_to_a.dropped")), 100);
}

TEST_F(Reliability, NoiseBurstsAreAbsorbedByTheAttempts)
{
    ASSERT_NO_FATAL_FAILURE(
        startProgram(faultyLine({QStringLiteral("--noise-burst"), QStringLiteral("--noise-every"),
                                 QStringLiteral("8192")})));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    host.savePath = target("journal.dat");
    click("SBtnJurLink");
    expectCleanDownload();
    EXPECT_GT(number(statistics(), "Байт вне кадров"), 0);
    EXPECT_GT(line->stopLineSim().value(QStringLiteral("b_to_a.noise_bursts")), 10);
}

// A 64 KiB journal on a line that dies for longer than ten attempts take:
// each attempt waits about 200 ms (100 ms and the line time of the reply), so
// the ten end some two seconds into the four dead ones, with room on both
// sides for a loaded machine.
LineSetup deadLine()
{
    LineSetup setup;
    setup.throughLineSim = true;
    setup.lineArguments = {QStringLiteral("--cut-after"), QStringLiteral("20000"),
                           QStringLiteral("--cut-ms"), QStringLiteral("4000")};
    setup.replyTimeoutMs = 100;
    setup.interByteTimeoutMs = 20;
    return setup;
}

TEST_F(Reliability, DeadLineAsksAndYesResumesTheSameDownload)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(deadLine()));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    // Yes until the line is back, as often as it takes.
    host.retryAnswer = kIdYes;
    host.savePath = target("journal.dat");
    click("SBtnJurLink");

    EXPECT_GE(host.retryQuestions, 1);
    EXPECT_EQ(host.boxes.front().text.endsWith(QStringLiteral("Повторить операцию?")), true)
        << boxText();
    EXPECT_EQ(host.boxes.front().style, kMbIconQuestion | kMbYesNo);
    EXPECT_EQ(
        compareFiles(host.savePath, line->dumpFile(QStringLiteral("journal.dat"))).toStdString(),
        "");
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_GT(line->stopLineSim().value(QStringLiteral("a_to_b.cut")), 0);
}

TEST_F(Reliability, DeadLineAnsweredNoEndsWithoutTouchingAnything)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(deadLine()));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    host.retryAnswer = kIdNo;
    host.savePath = target("journal.dat");
    const QByteArray previous = patternBytes(3000, 5);
    ASSERT_TRUE(writeFile(host.savePath, previous));
    click("SBtnJurLink");

    EXPECT_EQ(host.retryQuestions, 1);
    EXPECT_EQ(host.boxes.size(), 1u) << boxText();
    EXPECT_EQ(readAll(host.savePath), previous);
    EXPECT_TRUE(tmpEntries().isEmpty()) << tmpEntries().join(u' ').toStdString();
    EXPECT_EQ(state->channel.running, 0);
    EXPECT_FALSE(find<QWidget>("PnlLGetJur")->isVisible());
    EXPECT_TRUE(find<QWidget>("SBtnJurLink")->isEnabled());
}

TEST_F(Reliability, ControllerDyingMidDownloadEndsCleanly)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(directLine({QStringLiteral("--records"), kMiB})));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    host.savePath = target("journal.dat");
    const QByteArray previous = patternBytes(5000, 9);
    ASSERT_TRUE(writeFile(host.savePath, previous));
    // Some hundred portions in, the controller goes away.
    host.onProcessEvents = [this] {
        if (host.processEventsCount == 300)
            line->killSimulator();
    };
    click("SBtnJurLink");

    EXPECT_FALSE(line->simulatorRunning());
    EXPECT_EQ(readAll(host.savePath), previous);
    EXPECT_TRUE(tmpEntries().isEmpty()) << tmpEntries().join(u' ').toStdString();
    EXPECT_EQ(state->channel.running, 0);
    // Whatever the line said, the user was told once and never asked to store.
    for (const RecordedBox &box : host.boxes)
        EXPECT_FALSE(box.text.startsWith(QStringLiteral("Записать"))) << boxText();
    EXPECT_GE(host.boxes.size(), 1u);
}

TEST_F(Reliability, FullDiskWhileWritingTheTemporaryFile)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(directLine({QStringLiteral("--records"), kMiB})));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    host.savePath = target("journal.dat");
    const QByteArray previous = patternBytes(4000, 3);
    ASSERT_TRUE(writeFile(host.savePath, previous));
    {
        const FileSizeLimit limit(200 * 1024);
        click("SBtnJurLink");
    }
    ASSERT_EQ(host.boxes.size(), 1u) << boxText();
    EXPECT_EQ(host.boxes[0].text,
              QStringLiteral(" Ошибка записи во временный файл\n\"") + tempFileName() + u'"');
    EXPECT_EQ(host.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_FALSE(QFile::exists(tempFileName()));
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_EQ(readAll(host.savePath), previous);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files).size(), 1); // journal.dat alone
    EXPECT_EQ(state->channel.running, 0);
}

// The request layer against a controller that misbehaves in one way.
class MisbehavingController : public Reliability
{
protected:
    // As an operation does it: with the run flag set for the exchange.
    int requestSize(uint32_t &size)
    {
        state->channel.running = 1;
        const int result =
            state->requests.RequestSize(ObjJournalHeader, size, 1, QStringLiteral("size"));
        state->channel.running = 0;
        return result;
    }
    QString libraryText(int code) const { return QString::asprintf("COM2: [Ош=%i] \"", code); }
};

TEST_F(MisbehavingController, ReplyDelayWithinTheTimeOutIsServed)
{
    ASSERT_NO_FATAL_FAILURE(
        startProgram(directLine({QStringLiteral("--reply-delay-ms"), QStringLiteral("60")}, 300)));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    uint32_t size = 0;
    EXPECT_EQ(requestSize(size), 0) << boxText();
    EXPECT_EQ(size, 224u);
    EXPECT_TRUE(host.boxes.empty());
}

// A late reply to an identical earlier request would still be taken (it says
// the same); this one comes after all ten attempts.
TEST_F(MisbehavingController, ReplyLaterThanTheTimeOutAsksAfterTenAttempts)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(
        directLine({QStringLiteral("--reply-delay-ms"), QStringLiteral("3000")}, 100)));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    uint32_t size = 7;
    const int result = requestSize(size);
    EXPECT_LT(result, 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(host.retryQuestions, 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.boxes[0].text.startsWith(libraryText(result))) << boxText();
    EXPECT_EQ(state->api._trvCL_fChkErrType(result), 0); // a time-out may be repeated
    EXPECT_EQ(number(statistics(), "  тайм-аут"), 10);
}

TEST_F(MisbehavingController, SlowBytesWithinTheInterByteTimeOutStillMakeAReply)
{
    ASSERT_NO_FATAL_FAILURE(
        startProgram(directLine({QStringLiteral("--byte-gap-ms"), QStringLiteral("3")}, 300)));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    uint32_t size = 0;
    EXPECT_EQ(requestSize(size), 0) << boxText();
    EXPECT_EQ(size, 224u);
}

TEST_F(MisbehavingController, GapsLongerThanTheInterByteTimeOutBreakEveryAttempt)
{
    ASSERT_NO_FATAL_FAILURE(
        startProgram(directLine({QStringLiteral("--byte-gap-ms"), QStringLiteral("60")}, 100)));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    uint32_t size = 0;
    EXPECT_LT(requestSize(size), 0);
    EXPECT_EQ(host.retryQuestions, 1) << boxText();
    EXPECT_EQ(size, 0u);
}

TEST_F(MisbehavingController, WrongCountEndsTheDownloadWithoutStoring)
{
    // Without read-ahead: a round trip estimated long on a loaded machine
    // would serve the last request from a walk's pieces, not as one reply.
    LineSetup setup = directLine({QStringLiteral("--wrong-count")});
    setup.readAhead = false;
    ASSERT_NO_FATAL_FAILURE(startProgram(setup));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    host.savePath = target("journal.dat");
    click("SBtnJurLink");
    // A reply short by a byte ends the loop without a message of its own.
    EXPECT_TRUE(host.boxes.empty()) << boxText();
    EXPECT_FALSE(QFile::exists(host.savePath));
    EXPECT_TRUE(tmpEntries().isEmpty());

    // The request layer hands the count on as the controller gave it.
    ReplyData reply;
    state->channel.running = 1;
    EXPECT_EQ(state->requests.RequestBlock(ObjJournalHeader, 100, 0, reply, 1, QString()), 0);
    state->channel.running = 0;
    EXPECT_EQ(reply.count, 99);
}

TEST_F(MisbehavingController, RepliesFromAnotherNetworkNumberAreNeverTaken)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(directLine({QStringLiteral("--foreign-net")})));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    uint32_t size = 0;
    EXPECT_LT(requestSize(size), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(host.retryQuestions, 1) << boxText();
    EXPECT_GE(number(statistics(), "Чужих кадров (другой сетевой номер)"), 10);
}

TEST_F(MisbehavingController, OversizedRepliesAreRefusedFinallyAndTheLineGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(directLine({QStringLiteral("--oversize")})));
    ASSERT_NO_FATAL_FAILURE(openCounted());
    // Nothing of the refused reply reaches the receive buffer.
    const uint8_t canary = 0xC3;
    state->channel.rxBuffer[kLinkBufferSize - 1] = canary;
    uint32_t size = 0;
    const int result = requestSize(size);
    EXPECT_LT(result, 0);
    EXPECT_EQ(state->api._trvCL_fChkErrType(result), 1); // no repetition offered
    EXPECT_EQ(host.retryQuestions, 0);
    ASSERT_EQ(host.boxes.size(), 1u) << boxText();
    EXPECT_EQ(host.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_EQ(state->channel.rxBuffer[kLinkBufferSize - 1], canary);
    EXPECT_EQ(number(statistics(), "  ответ больше буфера"), 1);

    // The download refuses each portion the same way and stores nothing.
    host.savePath = target("journal.dat");
    click("SBtnJurLink");
    EXPECT_FALSE(QFile::exists(host.savePath));
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_EQ(state->channel.running, 0);
}

} // namespace
} // namespace vestan::test
