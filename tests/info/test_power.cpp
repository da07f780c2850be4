#include "infopagefixture.h"

#include "platform/codepage.h"

#include <cstring>

namespace vestan::test {
namespace {

QByteArray readings(float volts, float hertz, float celsius)
{
    QByteArray out(12, '\0');
    std::memcpy(out.data(), &volts, 4);
    std::memcpy(out.data() + 4, &hertz, 4);
    std::memcpy(out.data() + 8, &celsius, 4);
    return out;
}

class PowerTest : public InfoPageFixture
{
protected:
    void SetUp() override
    {
        InfoPageFixture::SetUp();
        link.finalCodes = {-3};
        link.errorTexts[-3] = toCp1251(QStringLiteral("Нет ответа"));
    }
    void click() { button("BtnU")->click(); }
    QString shown() const { return text("StTxtU"); }
};

TEST_F(PowerTest, ReadingsAsSent)
{
    link.objects[ObjPower] = QByteArray("\x00\x80\x66\x43\x00\x00\x48\x42\x00\x00\x11\x42", 12);
    click();

    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0], QByteArray("\x21\x02\x04\x0C\x0C\x00", 6));
    EXPECT_EQ(shown(), QStringLiteral("Uпит=230.50,  Fпит= 50.00,  tв.к= 36.25"));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(state.channel.running, 0);
}

TEST_F(PowerTest, WideValueIsNotCut)
{
    link.objects[ObjPower] = readings(1234.567f, 49.99f, 0.0f);
    click();
    EXPECT_EQ(shown(), QStringLiteral("Uпит=1234.57,  Fпит= 49.99,  tв.к=  0.00"));
}

TEST_F(PowerTest, FailedReadAfterAGoodOneLeavesTheTextEmpty)
{
    link.objects[ObjPower] = readings(230.5f, 50.0f, 36.25f);
    click();
    ASSERT_FALSE(shown().isEmpty());

    link.requestResults = {-3};
    click();
    EXPECT_EQ(shown(), QString());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, QStringLiteral("vestan :\"Получить данные по питанию\""));
    EXPECT_EQ(state.channel.running, 0);
}

TEST_F(PowerTest, ShortAnswerShowsNoStaleBytes)
{
    link.objects[ObjPower] = readings(230.5f, 50.0f, 36.25f);
    click();
    link.objects[ObjPower] = QByteArray("\x00\x00\x48\x42", 4);
    click();

    EXPECT_EQ(shown(), QString());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, QStringLiteral("vestan :\"Получить данные по питанию\""));
    EXPECT_EQ(host.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_EQ(state.channel.running, 0);
}

TEST_F(PowerTest, FlagHeldDuringTheRequest)
{
    link.objects[ObjPower] = readings(1, 2, 3);
    int running = -1;
    link.beforeRequest = [&](int) { running = state.channel.running; };
    click();
    EXPECT_EQ(running, 1);
    EXPECT_EQ(state.channel.running, 0);
}

TEST_F(PowerTest, ClickWhileAnotherOperationRunsDoesNothing)
{
    control("StTxtU")->setText(QStringLiteral("прежние"));
    state.channel.running = 1;
    click();
    EXPECT_TRUE(link.requests.empty());
    EXPECT_EQ(shown(), QStringLiteral("прежние"));
    EXPECT_EQ(state.channel.running, 1);
}

} // namespace
} // namespace vestan::test
