// The program through a real network serial server (ser2net) in front of the
// simulated controller: raw TCP and Com Port Control, a server that goes away
// and comes back, and one that stays away.

#include "tests/e2e/programrig.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vestan::test {
namespace {

class NetworkPort : public ProgramRig
{
protected:
    static LineSetup served(LineSetup::Server server, const QStringList &simArguments = {})
    {
        LineSetup setup;
        setup.server = server;
        setup.simArguments = simArguments;
        return setup;
    }

    void downloadBoth()
    {
        host.savePath = target("journal.dat");
        click("SBtnJurLink");
        EXPECT_EQ(compareFiles(host.savePath, line->dumpFile(QStringLiteral("journal.dat"))),
                  QString())
            << boxText();
        host.savePath = target("image.bin");
        click("SBtnGet");
        EXPECT_EQ(compareFiles(host.savePath, line->dumpFile(QStringLiteral("0900.bin"))),
                  QString())
            << boxText();
        EXPECT_EQ(host.unexpectedBoxes, 0) << boxText();
        EXPECT_EQ(host.retryQuestions, 0) << boxText();
        EXPECT_TRUE(tmpEntries().isEmpty());
    }
};

speed_t deviceSpeed(const QString &device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    const bool read = fd >= 0 && ::tcgetattr(fd, &settings) == 0;
    if (fd >= 0)
        ::close(fd);
    return read ? ::cfgetospeed(&settings) : B0;
}

TEST_F(NetworkPort, JournalAndImageArriveWholeOverRawTcp)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(
        served(LineSetup::Server::Raw, {QStringLiteral("--records"), QStringLiteral("3000")})));
    ASSERT_NO_FATAL_FAILURE(openLink());
    downloadBoth();
}

TEST_F(NetworkPort, ComPortControlSetsTheServersSpeedAndCarriesEveryByte)
{
    // The journal's bytes hold 0xFF often, which must cross doubled both ways.
    LineSetup setup = served(LineSetup::Server::ComPortControl,
                             {QStringLiteral("--records"), QStringLiteral("3000")});
    setup.baud = 19200; // the port's setting; the server's own is 115200
    ASSERT_NO_FATAL_FAILURE(startProgram(setup));
    ASSERT_NE(deviceSpeed(line->serialDevice()), speed_t(B19200));
    ASSERT_NO_FATAL_FAILURE(openLink());
    EXPECT_EQ(deviceSpeed(line->serialDevice()), speed_t(B19200));
    downloadBoth();
}

TEST_F(NetworkPort, ServerRestartedMidDownloadCostsAttemptsOnly)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(
        served(LineSetup::Server::Raw, {QStringLiteral("--records"), QStringLiteral("16384")})));
    ASSERT_NO_FATAL_FAILURE(openLink());
    QElapsedTimer stopped;
    host.onProcessEvents = [&] {
        if (host.processEventsCount == 200) {
            line->stopServer();
            stopped.start();
        } else if (stopped.isValid() && stopped.elapsed() >= 1000) {
            stopped.invalidate();
            ASSERT_TRUE(line->startServer());
        }
    };
    host.savePath = target("journal.dat");
    click("SBtnJurLink");
    EXPECT_GT(host.processEventsCount, 200);
    EXPECT_EQ(host.retryQuestions, 0) << boxText();
    EXPECT_EQ(compareFiles(host.savePath, line->dumpFile(QStringLiteral("journal.dat"))),
              QString());
    const auto stats = readStatisticsDialog([this] { click("SBtnComState"); });
    EXPECT_GE(stats.value(QStringLiteral("Обрывов сетевого соединения")).toInt(), 1);
    EXPECT_TRUE(tmpEntries().isEmpty());
}

TEST_F(NetworkPort, ServerThatStaysAwayEndsInTheRetryQuestionWithNothingWritten)
{
    ASSERT_NO_FATAL_FAILURE(startProgram(served(LineSetup::Server::ComPortControl)));
    ASSERT_NO_FATAL_FAILURE(openLink());
    line->stopServer();
    host.retryAnswer = kIdNo;
    host.savePath = target("journal.dat");
    click("SBtnJurLink");
    ASSERT_EQ(host.retryQuestions, 1) << boxText();
    EXPECT_TRUE(host.boxes.front().text.contains(QStringLiteral("Ош=-31]"))) << boxText();
    EXPECT_FALSE(QFileInfo::exists(host.savePath));
    EXPECT_TRUE(tmpEntries().isEmpty());

    // Opened again while the server is away: the refusal is told, the port stays closed.
    click("SBtnComOpenClose");
    ASSERT_EQ(state->channel.isOpen, 0);
    click("SBtnComOpenClose");
    EXPECT_EQ(state->channel.isOpen, 0);
    EXPECT_TRUE(host.boxes.back().text.contains(QStringLiteral("отказал в соединении")))
        << boxText();
}

} // namespace
} // namespace vestan::test
