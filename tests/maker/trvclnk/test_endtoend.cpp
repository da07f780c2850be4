// The real trvCLNK.so against trvsim on a pseudo-terminal.

#include "platform/codepage.h"
#include "reallink.h"
#include "tests/support/blockframe.h"
#include "tests/support/testsystem.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QSpinBox>
#include <QTimer>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vestan;
using namespace vestan::test;

namespace {

constexpr int32_t kErrNotOpen = -1;
constexpr int32_t kErrOpenFailed = -2;
constexpr int32_t kErrTimeout = -3;
constexpr int32_t kErrReplyTooLarge = -6;
constexpr int32_t kErrNoStatistics = -13;
constexpr int32_t kErrUnknownEvent = -14;
constexpr int32_t kErrNoPermission = -15;
constexpr int32_t kErrNoDevice = -16;
constexpr int32_t kErrDeviceBusy = -17;

class LinkEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(link().loaded()) << link().error().toStdString(); }

    void TearDown() override
    {
        if (link().loaded())
            api()._trvCL_fClose(kCom2);
    }

    static RealLink &link() { return RealLink::instance(); }
    static const LinkApi &api() { return link().api(); }

    // Starts trvsim with a dump and points COM2 at it.
    void startSim(const QStringList &options = {}, const QByteArray &moreKeys = {})
    {
        sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--dump"), dumpDir()} +
                                           options);
        ASSERT_TRUE(sim->ready()) << sim->failure().toStdString();
        link().writeIni("[COM2]\nDevice=" + QFile::encodeName(sim->linkPath()) +
                        "\nReplyTimeoutMs=300\n" + moreKeys);
    }

    void openCom2()
    {
        ASSERT_EQ(api()._trvCL_fOpen(kCom2), kCom2);
        ASSERT_NE(api()._trvCL_fIsOpen(kCom2), 0);
    }

    QString dumpDir() const { return dir.filePath(QStringLiteral("dump")); }
    Bytes dumped(const char *name) const
    {
        return readDumpFile(dumpDir() + u'/' + QLatin1String(name));
    }

    QTemporaryDir dir;
    std::unique_ptr<SimProcess> sim;
};

// Closes the next modal dialog once it shows, after `act` has worked on it.
void whenDialogShows(std::function<void(QDialog *)> act)
{
    QTimer::singleShot(0, [act] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            whenDialogShows(act);
            return;
        }
        act(dialog);
    });
}

} // namespace

TEST_F(LinkEndToEnd, OpensTheConfiguredDeviceAndReportsItsSpeed)
{
    startSim({}, "Baud=57600\n");
    EXPECT_EQ(api()._trvCL_fParamBaud(kCom2 + 1), 115200u); // COM3 is not configured
    EXPECT_EQ(api()._trvCL_fParamBaud(kCom2), 57600u);
    EXPECT_EQ(api()._trvCL_fIsOpen(kCom2), 0);
    openCom2();
    EXPECT_EQ(api()._trvCL_fParamBaud(kCom2), 57600u);
    EXPECT_EQ(api()._trvCL_fOpen(kCom2), kCom2); // already open: still fine
    EXPECT_EQ(api()._trvCL_fClose(kCom2), 0);
    EXPECT_EQ(api()._trvCL_fIsOpen(kCom2), 0);
}

TEST_F(LinkEndToEnd, SizeRequestsGiveTheSizesOfTheDumpedObjects)
{
    startSim({QStringLiteral("--records"), QStringLiteral("300"), QStringLiteral("--flash-size"),
              QStringLiteral("70000")});
    openCom2();
    for (const auto &[code, file] :
         {std::pair{uint16_t(0x0B00), "0B00.bin"}, std::pair{uint16_t(0x0B01), "0B01.bin"},
          std::pair{uint16_t(0x0900), "0900.bin"}}) {
        uint32_t size = 0;
        ASSERT_TRUE(requestSize(code, size)) << code;
        EXPECT_EQ(size, dumped(file).size()) << file;
    }
}

TEST_F(LinkEndToEnd, BlockWalksReassembleTheDumpedBytes)
{
    startSim({QStringLiteral("--records"), QStringLiteral("500")});
    openCom2();
    const Bytes header = dumped("0B00.bin");
    ASSERT_FALSE(header.empty());
    for (uint16_t portion : {16, 100, 1024}) {
        Bytes read;
        ASSERT_TRUE(readObject(0x0B00, uint32_t(header.size()), portion, read)) << portion;
        EXPECT_EQ(read, header) << portion;
    }
    const Bytes data = dumped("0B01.bin");
    Bytes read;
    ASSERT_TRUE(readObject(0x0B01, uint32_t(data.size()), 1024, read));
    EXPECT_EQ(read, data);
    Bytes journal = header;
    journal.insert(journal.end(), read.begin(), read.end());
    EXPECT_EQ(journal, dumped("journal.dat"));
}

TEST_F(LinkEndToEnd, QueriesReturnTheVersionAndThePowerReadings)
{
    startSim({QStringLiteral("--handler-version"), QStringLiteral("3.4.5.6/2024-11-02"),
              QStringLiteral("--power"), QStringLiteral("230.5,50,36.25")});
    openCom2();
    Bytes reply;
    ASSERT_EQ(linkRequest({kNet, 2, 0x03, 0x0B, 8, 0}, reply), 0);
    EXPECT_EQ(reply, Bytes({kNet, 2, 0x03, 0x0B, 8, 0, 3, 4, 5, 6, 0xE8, 0x07, 11, 2}));
    ASSERT_EQ(linkRequest({kNet, 2, 0x04, 0x0C, 12, 0}, reply), 0);
    EXPECT_EQ(reply, Bytes({kNet, 2, 0x04, 0x0C, 12, 0, 0x00, 0x80, 0x66, 0x43, 0x00, 0x00, 0x48,
                            0x42, 0x00, 0x00, 0x11, 0x42}));
}

TEST_F(LinkEndToEnd, ClockWriteThenReadGivesTheDateWithItsWeekday)
{
    startSim();
    openCom2();
    // 29 February 2008, 23:59:58; the weekday byte sent is wrong on purpose.
    const Bytes clock = {58, 59, 23, 29, 2, 0xD8, 0x07, 6};
    Bytes request = {kNet, 4, 0x02, 0x0C, 8, 0};
    request.insert(request.end(), clock.begin(), clock.end());
    Bytes reply;
    ASSERT_EQ(linkRequest(request, reply), 0);
    EXPECT_EQ(reply, Bytes({kNet, 4, 0x02, 0x0C, 8, 0}));
    ASSERT_EQ(linkRequest({kNet, 2, 0x02, 0x0C, 8, 0}, reply), 0);
    ASSERT_EQ(reply.size(), 14u);
    const int year = reply[11] | (reply[12] << 8);
    if (reply[10] == 2) { // still 29 February
        EXPECT_EQ(reply[9], 29);
        EXPECT_EQ(reply[8], 23);
        EXPECT_EQ(reply[13], 5); // a Friday
    } else {                     // the clock ran on into 1 March
        EXPECT_EQ(reply[10], 3);
        EXPECT_EQ(reply[9], 1);
        EXPECT_EQ(reply[13], 6); // a Saturday
    }
    EXPECT_EQ(year, 2008);
}

TEST_F(LinkEndToEnd, RecordSearchFindsTheRecordAtOrBeforeTheKey)
{
    // Records every 1.5 s from 20.05.2024 07:31:05.250 (trvsim's journal).
    startSim({QStringLiteral("--records"), QStringLiteral("100")});
    openCom2();
    const auto search = [](const Bytes &key, Bytes &found) {
        Bytes request = {kNet, 2, 0xFF, 0x0A, 11, 0};
        request.insert(request.end(), key.begin(), key.end());
        Bytes reply;
        const int32_t result = linkRequest(request, reply);
        if (result == 0 && reply.size() >= 17)
            found.assign(reply.begin() + 6, reply.begin() + 17);
        return result;
    };
    Bytes found;
    // 07:31:07.000 lies between record 2 (07:31:06.750) and record 3 (07:31:08.250).
    ASSERT_EQ(search({0, 0, 0xE8, 0x07, 5, 20, 7, 31, 7, 0, 0}, found), 0);
    EXPECT_EQ(found, Bytes({2, 0, 0xE8, 0x07, 5, 20, 7, 31, 6, 0xEE, 0x02}));
    // Before the first record: number 0.
    ASSERT_EQ(search({0, 0, 0xE8, 0x07, 5, 20, 7, 0, 0, 0, 0}, found), 0);
    EXPECT_EQ(found[0] | (found[1] << 8), 0);
    // Year 65535: the last record.
    ASSERT_EQ(search({0, 0, 0xFF, 0xFF, 1, 1, 0, 0, 0, 0, 0}, found), 0);
    EXPECT_EQ(found[0] | (found[1] << 8), 100);
}

TEST_F(LinkEndToEnd, FrameToAnotherNetworkNumberTimesOutNotFinally)
{
    startSim();
    openCom2();
    uint32_t size = 0;
    QElapsedTimer timer;
    timer.start();
    Bytes reply;
    const int32_t result = linkRequest({34, 1, 0x00, 0x0B}, reply);
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(result, kErrTimeout);
    EXPECT_EQ(api()._trvCL_fChkErrType(result), 0);
    EXPECT_GE(elapsed, 300);                // it waited for its time-out ...
    EXPECT_LT(elapsed, 5000);               // ... and not forever
    EXPECT_TRUE(requestSize(0x0B00, size)); // the line still works
}

TEST_F(LinkEndToEnd, ReplyLargerThanTheCapacityIsRefusedWithoutTouchingTheBuffer)
{
    startSim();
    openCom2();
    const Bytes power = {kNet, 2, 0x04, 0x0C, 12, 0}; // 18-byte reply
    std::vector<uint8_t> buffer(64, 0xEE);
    uint16_t length = 77;
    const int32_t result = api()._trvCL_fRequest(kCom2, power.data(), uint16_t(power.size()),
                                                 buffer.data(), 10, &length);
    EXPECT_EQ(result, kErrReplyTooLarge);
    EXPECT_NE(api()._trvCL_fChkErrType(result), 0);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(buffer, std::vector<uint8_t>(64, 0xEE));
    Bytes reply;
    EXPECT_EQ(linkRequest(power, reply, 18), 0);
    EXPECT_EQ(reply.size(), 18u);
}

TEST_F(LinkEndToEnd, OversizedRepliesFromTheControllerAreRefused)
{
    startSim({QStringLiteral("--oversize")});
    openCom2();
    Bytes reply;
    EXPECT_EQ(linkRequest({kNet, 1, 0x00, 0x0B}, reply), kErrReplyTooLarge);
    EXPECT_EQ(linkRequest({kNet, 1, 0x00, 0x0B}, reply, 1071), kErrReplyTooLarge);
}

TEST_F(LinkEndToEnd, RepliesFromAForeignNetworkNumberAreIgnored)
{
    startSim({QStringLiteral("--foreign-net")});
    openCom2();
    Bytes reply;
    EXPECT_EQ(linkRequest({kNet, 1, 0x00, 0x0B}, reply), kErrTimeout);
}

TEST_F(LinkEndToEnd, ReplyWithAnotherCountReachesTheCallerAsItIs)
{
    startSim({QStringLiteral("--wrong-count")});
    openCom2();
    Bytes reply;
    ASSERT_EQ(linkRequest({kNet, 3, 0x00, 0x0B, 16, 0, 0, 0, 0, 0}, reply), 0);
    EXPECT_EQ(reply[4], 15);
    EXPECT_EQ(reply.size(), 25u);
}

TEST_F(LinkEndToEnd, SlowBytesWithinTheInterByteTimeOutStillMakeAReply)
{
    startSim({QStringLiteral("--byte-gap-ms"), QStringLiteral("3")});
    openCom2();
    uint32_t size = 0;
    EXPECT_TRUE(requestSize(0x0B00, size));
    EXPECT_GT(size, 0u);
}

TEST_F(LinkEndToEnd, ReplyLaterThanTheTimeOutIsATimeOut)
{
    startSim({QStringLiteral("--reply-delay-ms"), QStringLiteral("700")});
    openCom2();
    Bytes reply;
    EXPECT_EQ(linkRequest({kNet, 1, 0x00, 0x0B}, reply), kErrTimeout);
}

TEST_F(LinkEndToEnd, RequestLongerThanTheLinkBufferIsRefused)
{
    startSim();
    openCom2();
    Bytes request(1072, 0);
    request[0] = kNet;
    request[1] = 4;
    Bytes reply;
    const int32_t result = linkRequest(request, reply);
    EXPECT_EQ(result, -52);
    EXPECT_NE(api()._trvCL_fChkErrType(result), 0);
    EXPECT_EQ(fromCp1251(api()._trvCL_fErr2str(result)),
              QStringLiteral("Запрос не помещается в буфер связи"));
}

TEST_F(LinkEndToEnd, ClosedPortAndMissingDeviceFailFinally)
{
    link().writeIni("[COM2]\nDevice=" + QFile::encodeName(dir.filePath(QStringLiteral("none"))) +
                    "\n");
    Bytes reply;
    EXPECT_EQ(linkRequest({kNet, 1, 0x00, 0x0B}, reply), kErrNotOpen);
    EXPECT_NE(api()._trvCL_fChkErrType(kErrNotOpen), 0);
    EXPECT_EQ(api()._trvCL_fOpen(kCom2), kErrNoDevice);
    EXPECT_NE(api()._trvCL_fChkErrType(kErrNoDevice), 0);
    EXPECT_EQ(api()._trvCL_fIsOpen(kCom2), 0);
    EXPECT_EQ(fromCp1251(api()._trvCL_fErr2str(kErrNoDevice)),
              QStringLiteral("Устройство связи не найдено"));
    EXPECT_EQ(fromCp1251(api()._trvCL_fErr2str(kErrOpenFailed)),
              QStringLiteral("Не удалось открыть устройство связи"));
    EXPECT_EQ(api()._trvCL_fOpen(-1), -9);
    EXPECT_EQ(api()._trvCL_fParamBaud(-1), 0u);
}

// A line held by another program, then one this user may not open: a user
// outside "dialout" (root may open anything, so as root the open is made by
// "nobody" in a child).
TEST_F(LinkEndToEnd, BusyAndForbiddenDevicesSayWhy)
{
    startSim();
    const QByteArray device = QFile::encodeName(sim->linkPath());
    link().writeIni("[COM2]\nDevice=" + device + "\n[COM3]\nDevice=" + device + "\n");
    openCom2();
    EXPECT_EQ(api()._trvCL_fOpen(kCom2 + 1), kErrDeviceBusy);
    EXPECT_EQ(fromCp1251(api()._trvCL_fErr2str(kErrDeviceBusy)),
              QStringLiteral("Устройство связи занято другой программой"));
    api()._trvCL_fClose(kCom2);

    ASSERT_EQ(::chmod(device.constData(), 0), 0);
    // The library reads its port table at every open, so the plain user must see it.
    ASSERT_EQ(::chmod(QFile::encodeName(link().iniPath()).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(QFileInfo(link().iniPath()).path()).constData(), 0755), 0);
    EXPECT_EQ(test::asPlainUser([] { return -api()._trvCL_fOpen(kCom2); }), -kErrNoPermission);
    const QString text = fromCp1251(api()._trvCL_fErr2str(kErrNoPermission));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Нет прав на устройство связи.")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("sudo usermod -aG dialout $USER")))
        << text.toStdString();
}

TEST_F(LinkEndToEnd, SessionEndEventIsAccepted)
{
    startSim();
    openCom2();
    EXPECT_EQ(api()._trvCL_fSetEvent(kCom2, 1), 0);
    EXPECT_EQ(api()._trvCL_fSetEvent(kCom2, 7), kErrUnknownEvent);
    EXPECT_NE(api()._trvCL_fIsOpen(kCom2), 0); // the close comes after it
}

TEST_F(LinkEndToEnd, StatisticsNeedAPortThatWasOpened)
{
    EXPECT_EQ(api()._trvCL_fDlgSetup(2, 5), kErrNoStatistics);
    startSim();
    openCom2();
    uint32_t size = 0;
    ASSERT_TRUE(requestSize(0x0B00, size));
    bool shown = false;
    whenDialogShows([&](QDialog *dialog) {
        shown = dialog->objectName() == QStringLiteral("StatisticsDialog");
        dialog->reject();
    });
    EXPECT_EQ(api()._trvCL_fDlgSetup(2, kCom2), 0);
    EXPECT_TRUE(shown);
}

TEST_F(LinkEndToEnd, DeviceSelectionRecordsTheChosenDevice)
{
    link().writeIni("; the tests' own\n");
    whenDialogShows([](QDialog *dialog) {
        dialog->findChild<QSpinBox *>(QStringLiteral("port"))->setValue(4);
        dialog->findChild<QComboBox *>(QStringLiteral("device"))
            ->setCurrentText(QStringLiteral("/tmp/some/line"));
        dialog->accept();
    });
    EXPECT_EQ(api()._trvCL_fDlgSetup(1, kCom2), 3);
    QFile file(link().iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("; the tests' own\n")) << text.constData();
    EXPECT_TRUE(text.contains("[COM4]")) << text.constData();
    EXPECT_TRUE(text.contains("Device=/tmp/some/line")) << text.constData();
}

TEST_F(LinkEndToEnd, CancelledDeviceSelectionKeepsThePort)
{
    whenDialogShows([](QDialog *dialog) { dialog->reject(); });
    EXPECT_EQ(api()._trvCL_fDlgSetup(1, kCom2), kCom2);
}

TEST_F(LinkEndToEnd, SetupStoresTheLineParameters)
{
    link().writeIni("[COM2]\nDevice=/dev/ttyS9\n");
    whenDialogShows([](QDialog *dialog) {
        dialog->findChild<QComboBox *>(QStringLiteral("baud"))
            ->setCurrentText(QStringLiteral("9600"));
        dialog->accept();
    });
    EXPECT_EQ(api()._trvCL_fDlgSetup(0, kCom2), 0);
    EXPECT_EQ(api()._trvCL_fParamBaud(kCom2), 9600u);
}

TEST_F(LinkEndToEnd, AboutBoxShowsTheTextsGivenInCodePage1251)
{
    QString shown;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box != nullptr) {
            shown = box->text();
            box->accept();
        }
    });
    const QByteArray version = toCp1251(QStringLiteral("Версия 1.0"));
    EXPECT_EQ(api()._trv_about("Vestan", version.constData(), "", nullptr), 0);
    EXPECT_EQ(shown, QStringLiteral("Vestan\n\nВерсия 1.0"));
}

TEST_F(LinkEndToEnd, ControllerGoneMidSessionEndsTheRequestFinally)
{
    startSim();
    openCom2();
    uint32_t size = 0;
    ASSERT_TRUE(requestSize(0x0B00, size));
    sim->kill(); // the pseudo-terminal's other end closes with it
    QElapsedTimer timer;
    timer.start();
    Bytes reply;
    const int32_t result = linkRequest({kNet, 1, 0x00, 0x0B}, reply);
    EXPECT_LT(result, 0);
    EXPECT_NE(api()._trvCL_fChkErrType(result), 0) << result;
    EXPECT_LT(timer.elapsed(), 5000);
}

// trvsim sends replies with a burst inserted whose check sum still passes,
// the rest of the real frame after it: the damage a CRC-16 lets through once
// in 65536. None of those bytes may reach the caller.
TEST_F(LinkEndToEnd, ForgedBurstsThatPassTheCheckSumNeverReachTheCaller)
{
    // Two different forged readings of the piece holding byte 5000, then
    // the whole one.
    startSim({QStringLiteral("--records"), QStringLiteral("300"), QStringLiteral("--forge-burst"),
              QStringLiteral("0B01:5000:2")});
    openCom2();
    const Bytes data = dumped("0B01.bin");
    Bytes read;
    ASSERT_TRUE(readObject(0x0B01, uint32_t(data.size()), 1024, read));
    EXPECT_EQ(read, data);
    api()._trvCL_fClose(kCom2);

    // A single request: the clock, set to a known date first (the reply to
    // the write is too short to forge), then read.
    startSim({QStringLiteral("--forge-burst"), QStringLiteral("0C02")});
    openCom2();
    Bytes reply;
    ASSERT_EQ(linkRequest({kNet, 4, 0x02, 0x0C, 8, 0, 0, 30, 12, 29, 2, 0xD8, 0x07, 5}, reply), 0);
    ASSERT_EQ(linkRequest({kNet, 2, 0x02, 0x0C, 8, 0}, reply), 0);
    ASSERT_EQ(reply.size(), 14u);
    EXPECT_EQ(Bytes(reply.begin() + 7, reply.end()),
              Bytes({30, 12, 29, 2, 0xD8, 0x07, 5})); // 29.02.2008 12:30, a Friday
    api()._trvCL_fClose(kCom2);

    // A line that damages the same piece every time: the calls fail and the
    // caller's attempts end in its retry question, never in wrong bytes.
    startSim({QStringLiteral("--forge-burst"), QStringLiteral("0B00:100:0")});
    openCom2();
    const Bytes header = dumped("0B00.bin");
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_EQ(linkRequest(blockFrameHead(kNet, 0x0B00, 200, 0), reply), -5) << attempt;
    EXPECT_TRUE(readObject(0x0B00, 100, 100, read)); // the bytes before it are whole
    EXPECT_EQ(read, Bytes(header.begin(), header.begin() + 100));
}
