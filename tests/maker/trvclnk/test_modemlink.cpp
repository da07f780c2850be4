// Dialling through a Hayes modem: the real trvCLNK.so against trvsim --modem.

#include "platform/codepage.h"
#include "reallink.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vestan;
using namespace vestan::test;

namespace {

class ModemLink : public ::testing::Test
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

    // trvsim with a modem before it; the library's guard time is longer than
    // the modem's so the escape is recognised.
    void startModem(const QStringList &options = {}, const QByteArray &moreKeys = {})
    {
        sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--modem"),
                                                       QStringLiteral("--guard-ms"),
                                                       QStringLiteral("100")} +
                                           options);
        ASSERT_TRUE(sim->ready()) << sim->failure().toStdString();
        link().writeIni("[COM2]\nDevice=" + QFile::encodeName(sim->linkPath()) +
                        "\nReplyTimeoutMs=300\nGuardTimeMs=150\nModemTimeoutMs=2000\n"
                        "DialTimeoutMs=3000\n" +
                        moreKeys);
    }

    // The modem's next event, without the "modem: " prefix.
    QString nextEvent()
    {
        const QString line = sim->nextLine(5000);
        return line.startsWith(QStringLiteral("modem: ")) ? line.mid(7) : line;
    }

    std::unique_ptr<SimProcess> sim;
};

} // namespace

TEST_F(ModemLink, DialThatConnectsCarriesRequestsAndHangsUpOnClose)
{
    startModem();
    ASSERT_EQ(api()._trvCL_fSetPhone(kCom2, "8-495-1234567"), 0);
    ASSERT_EQ(api()._trvCL_fOpen(kCom2), kCom2);
    EXPECT_EQ(nextEvent(), QStringLiteral("DIAL T 8-495-1234567"));
    EXPECT_EQ(nextEvent(), QStringLiteral("CONNECT"));
    uint32_t size = 0;
    EXPECT_TRUE(requestSize(0x0B00, size));
    EXPECT_GT(size, 0u);
    EXPECT_EQ(api()._trvCL_fClose(kCom2), 0);
    EXPECT_EQ(nextEvent(), QStringLiteral("ESCAPE"));
    EXPECT_EQ(nextEvent(), QStringLiteral("HANGUP"));
    EXPECT_EQ(api()._trvCL_fIsOpen(kCom2), 0);
}

TEST_F(ModemLink, AfterTheHangUpTheControllerIsNoLongerReachable)
{
    startModem();
    ASSERT_EQ(api()._trvCL_fSetPhone(kCom2, "5551234"), 0);
    ASSERT_EQ(api()._trvCL_fOpen(kCom2), kCom2);
    ASSERT_EQ(api()._trvCL_fClose(kCom2), 0);
    // Without a number the port opens directly: the modem is in command mode
    // with no call, so nothing answers.
    ASSERT_EQ(api()._trvCL_fSetPhone(kCom2, ""), 0);
    ASSERT_EQ(api()._trvCL_fOpen(kCom2), kCom2);
    Bytes reply;
    EXPECT_EQ(linkRequest({kNet, 1, 0x00, 0x0B}, reply), -3);
    api()._trvCL_fClose(kCom2);
    // Dialling again connects again.
    ASSERT_EQ(api()._trvCL_fSetPhone(kCom2, "5551234"), 0);
    ASSERT_EQ(api()._trvCL_fOpen(kCom2), kCom2);
    uint32_t size = 0;
    EXPECT_TRUE(requestSize(0x0B00, size));
}

TEST_F(ModemLink, SessionEndHangsUpBeforeTheClose)
{
    startModem();
    ASSERT_EQ(api()._trvCL_fSetPhone(kCom2, "5551234"), 0);
    ASSERT_EQ(api()._trvCL_fOpen(kCom2), kCom2);
    EXPECT_EQ(nextEvent(), QStringLiteral("DIAL T 5551234"));
    EXPECT_EQ(nextEvent(), QStringLiteral("CONNECT"));
    EXPECT_EQ(api()._trvCL_fSetEvent(kCom2, 1), 0);
    EXPECT_EQ(nextEvent(), QStringLiteral("ESCAPE"));
    EXPECT_EQ(nextEvent(), QStringLiteral("HANGUP"));
    EXPECT_EQ(api()._trvCL_fClose(kCom2), 0);
    EXPECT_TRUE(sim->pendingLines().isEmpty()); // no second hang-up
}

TEST_F(ModemLink, EveryDialFailureHasItsFinalCodeAndText)
{
    struct Case
    {
        const char *word;
        int32_t code;
        const char *text;
    };
    const Case cases[] = {
        {"BUSY", -20, "Модем: линия занята (BUSY)"},
        {"NO CARRIER", -21, "Модем: нет несущей (NO CARRIER)"},
        {"NO DIALTONE", -22, "Модем: нет гудка в линии (NO DIALTONE)"},
        {"NO ANSWER", -23, "Модем: абонент не отвечает (NO ANSWER)"},
    };
    for (const Case &c : cases) {
        startModem({QStringLiteral("--modem-fail"), QString::fromLatin1(c.word)});
        ASSERT_EQ(api()._trvCL_fSetPhone(kCom2, "5551234"), 0);
        EXPECT_EQ(api()._trvCL_fOpen(kCom2), c.code) << c.word;
        EXPECT_EQ(api()._trvCL_fIsOpen(kCom2), 0) << c.word;
        EXPECT_NE(api()._trvCL_fChkErrType(c.code), 0) << c.word;
        EXPECT_EQ(fromCp1251(api()._trvCL_fErr2str(c.code)), QString::fromUtf8(c.text));
        EXPECT_EQ(nextEvent(), QStringLiteral("DIAL T 5551234"));
        EXPECT_EQ(nextEvent(), QString::fromLatin1(c.word));
        sim.reset();
    }
}

TEST_F(ModemLink, ModemThatNeverAnswersTheDialEndsWithinTheDialTimeOut)
{
    startModem({QStringLiteral("--modem-fail"), QStringLiteral("SILENT")}, "");
    link().writeIni("[COM2]\nDevice=" + QFile::encodeName(sim->linkPath()) +
                    "\nGuardTimeMs=150\nModemTimeoutMs=2000\nDialTimeoutMs=400\n");
    ASSERT_EQ(api()._trvCL_fSetPhone(kCom2, "5551234"), 0);
    EXPECT_EQ(api()._trvCL_fOpen(kCom2), -24);
    EXPECT_NE(api()._trvCL_fChkErrType(-24), 0);
    EXPECT_EQ(api()._trvCL_fIsOpen(kCom2), 0);
    EXPECT_EQ(nextEvent(), QStringLiteral("DIAL T 5551234"));
    EXPECT_EQ(nextEvent(), QStringLiteral("DIAL ABORTED")); // the library cut it short
}

TEST_F(ModemLink, PhoneLongerThan48CharactersIsCut)
{
    startModem();
    const QByteArray phone = QByteArray(48, '1') + "999";
    ASSERT_EQ(api()._trvCL_fSetPhone(kCom2, phone.constData()), 0);
    ASSERT_EQ(api()._trvCL_fOpen(kCom2), kCom2);
    EXPECT_EQ(nextEvent(), QStringLiteral("DIAL T ") + QString(48, u'1'));
}

TEST_F(ModemLink, PulseDiallingAndTheInitStringFollowTheSettings)
{
    startModem({}, "ModemInit=ATE0\nDial=P\n");
    ASSERT_EQ(api()._trvCL_fSetPhone(kCom2, "77"), 0);
    ASSERT_EQ(api()._trvCL_fOpen(kCom2), kCom2);
    EXPECT_EQ(nextEvent(), QStringLiteral("DIAL P 77"));
    EXPECT_EQ(nextEvent(), QStringLiteral("CONNECT"));
}
