// The Hayes modem before the simulated controller, on given time.

#include "tools/trvsim/modememulator.h"

#include <gtest/gtest.h>

#include <string>

using namespace vestan::trvsim;

namespace {

struct Modem
{
    explicit Modem(std::string fail = {}) : modem(std::move(fail), 1000) {}

    // Sends text at a moment; returns the modem's answer.
    std::string type(const std::string &text, int64_t atMs)
    {
        data.clear();
        std::vector<uint8_t> answer;
        modem.receive(reinterpret_cast<const uint8_t *>(text.data()), text.size(), atMs, data,
                      answer);
        return std::string(answer.begin(), answer.end());
    }

    std::string idle(int64_t atMs)
    {
        data.clear();
        std::vector<uint8_t> answer;
        modem.idle(atMs, data, answer);
        return std::string(answer.begin(), answer.end());
    }

    std::string passed() const { return std::string(data.begin(), data.end()); }

    ModemEmulator modem;
    std::vector<uint8_t> data;
};

} // namespace

TEST(ModemEmulator, AnswersCommandsWithOkAndEchoesUntilE0)
{
    Modem m;
    EXPECT_EQ(m.type("AT\r", 0), "AT\r\r\nOK\r\n");
    EXPECT_EQ(m.type("ATE0V1X4\r", 10), "ATE0V1X4\r\r\nOK\r\n");
    EXPECT_EQ(m.type("at&f\r", 20), "\r\nOK\r\n");
    EXPECT_EQ(m.type("noise without a command\r", 30), "");
    EXPECT_TRUE(m.passed().empty());
}

TEST(ModemEmulator, DialConnectsAndThenPassesBytesThrough)
{
    Modem m;
    m.type("ATE0\r", 0);
    EXPECT_EQ(m.type("ATDT5551234\r", 10), "\r\nCONNECT 115200\r\n");
    EXPECT_TRUE(m.modem.online());
    EXPECT_EQ(m.modem.takeEvents(), (std::vector<std::string>{"DIAL T 5551234", "CONNECT"}));
    EXPECT_EQ(m.type("ATH\r\xA5\x01", 20), "");
    EXPECT_EQ(m.passed(), "ATH\r\xA5\x01");
}

TEST(ModemEmulator, EscapeNeedsSilenceBeforeAndAfter)
{
    Modem m;
    m.type("ATE0\r", 0);
    m.type("ATD5\r", 10);
    m.modem.takeEvents();
    // Too soon after data: the pluses are data.
    m.type("x", 2000);
    EXPECT_EQ(m.type("+++", 2500), "");
    EXPECT_EQ(m.passed(), "+++");
    EXPECT_EQ(m.idle(4000), "");
    EXPECT_TRUE(m.modem.online());
    // Silence, "+++", then more data within the guard time: still data.
    EXPECT_EQ(m.type("+++", 5100), "");
    EXPECT_EQ(m.type("z", 5500), "");
    EXPECT_EQ(m.passed(), "+++z");
    // Silence, "+++", silence: command mode.
    EXPECT_EQ(m.type("++", 7000), "");
    EXPECT_EQ(m.type("+", 7100), "");
    EXPECT_EQ(m.modem.nextDeadline(), 8100);
    EXPECT_EQ(m.idle(8000), "");
    EXPECT_EQ(m.idle(8100), "\r\nOK\r\n");
    EXPECT_FALSE(m.modem.online());
    EXPECT_TRUE(m.modem.connected());
    EXPECT_EQ(m.type("ATH\r", 8200), "\r\nOK\r\n");
    EXPECT_FALSE(m.modem.connected());
    EXPECT_EQ(m.modem.takeEvents(), (std::vector<std::string>{"ESCAPE", "HANGUP"}));
}

TEST(ModemEmulator, EscapeRecognisedWhenTheNextBytesComeLate)
{
    Modem m;
    m.type("ATE0\r", 0);
    m.type("ATD5\r", 10);
    m.type("+++", 2000);
    // No idle call in between: the guard time ran out before these bytes.
    EXPECT_EQ(m.type("ATH\r", 3500), "\r\nOK\r\n\r\nOK\r\n");
    EXPECT_FALSE(m.modem.connected());
}

TEST(ModemEmulator, AtoReturnsOnLine)
{
    Modem m;
    m.type("ATE0\r", 0);
    m.type("ATDP1\r", 10);
    m.type("+++", 2000);
    m.idle(3000);
    EXPECT_EQ(m.type("ATO\r", 3100), "\r\nCONNECT 115200\r\n");
    EXPECT_TRUE(m.modem.online());
}

TEST(ModemEmulator, FailureWordsAnswerTheDial)
{
    for (const std::string word : {"BUSY", "NO CARRIER", "NO DIALTONE", "NO ANSWER"}) {
        Modem m(word);
        m.type("ATE0\r", 0);
        EXPECT_EQ(m.type("ATDT1\r", 10), "\r\n" + word + "\r\n");
        EXPECT_FALSE(m.modem.online());
        EXPECT_EQ(m.modem.takeEvents(), (std::vector<std::string>{"DIAL T 1", word}));
    }
}

TEST(ModemEmulator, SilentDialIsEndedByAnyCharacter)
{
    Modem m("SILENT");
    m.type("ATE0\r", 0);
    EXPECT_EQ(m.type("ATDT1\r", 10), "");
    EXPECT_EQ(m.idle(60000), "");
    EXPECT_EQ(m.type("\r", 61000), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(m.type("AT\r", 61010), "\r\nOK\r\n");
    EXPECT_EQ(m.modem.takeEvents(), (std::vector<std::string>{"DIAL T 1", "DIAL ABORTED"}));
}

TEST(ModemEmulator, OverlongLinesDoNotGrowWithoutEnd)
{
    Modem m;
    m.type("ATE0\r", 0);
    EXPECT_EQ(m.type(std::string(100000, 'x') + "\r", 10), "");
    EXPECT_EQ(m.type("AT\r", 20), "\r\nOK\r\n");
}
