#include "platform/codepage.h"
#include "session/requestlayer.h"
#include "tests/support/fakelink.h"
#include "tests/support/scriptedhost.h"

#include <gtest/gtest.h>

namespace vestan {
namespace {

using test::FakeLink;
using test::ScriptedHost;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray bytes(const ReplyData &reply)
{
    return QByteArray(reinterpret_cast<const char *>(reply.data.data()),
                      qsizetype(reply.data.size()));
}

class RequestLayerTest : public ::testing::Test
{
protected:
    RequestLayerTest() : api_(link_.api()), layer_(channel_, api_, host_)
    {
        host_.path = "/opt/vestan/bin/vestan";
        channel_.running = 1;
        link_.errorTexts[-3] = toCp1251("Нет ответа");
        link_.errorTexts[-9] = toCp1251("Порт закрыт");
        link_.errorTexts[kErrStopped] = toCp1251("Остановлено");
        link_.finalCodes = {-9};
    }

    // Makes the next n requests fail with code.
    void failNext(int n, int code)
    {
        for (int i = 0; i < n; ++i)
            link_.requestResults.push_back(code);
    }

    int requestCount() const { return int(link_.requests.size()); }

    FakeLink link_;
    ScriptedHost host_;
    LinkApi api_;
    LinkChannel channel_;
    RequestLayer layer_;
};

// The packets as they go on the wire, for network number 33.

TEST_F(RequestLayerTest, SizeRequestPacketAndValue)
{
    link_.objects[ObjJournalHeader] = QByteArray(300, 'h');
    uint32_t size = 7;
    ASSERT_EQ(layer_.RequestSize(ObjJournalHeader, size, 1, "x"), 0);
    ASSERT_EQ(requestCount(), 1);
    EXPECT_EQ(link_.requests[0], hex("2101000B"));
    EXPECT_EQ(size, 300u);
}

TEST_F(RequestLayerTest, SizeIsReadLittleEndianFromReplyBytesFourToSeven)
{
    link_.onRequest = [](const QByteArray &, uint8_t *reply, uint16_t, uint16_t *length) {
        const uint8_t bytes[] = {0x21, 0x01, 0x00, 0x0B, 0x04, 0x03, 0x02, 0x01};
        std::copy(std::begin(bytes), std::end(bytes), reply);
        *length = 8;
        return 0;
    };
    uint32_t size = 0;
    ASSERT_EQ(layer_.RequestSize(ObjJournalHeader, size, 1, ""), 0);
    EXPECT_EQ(size, 0x01020304u);
}

TEST_F(RequestLayerTest, BlockRequestPacketAndData)
{
    QByteArray data(4096, 0);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 7);
    link_.objects[ObjJournalData] = data;
    ReplyData reply;
    ASSERT_EQ(layer_.RequestBlock(ObjJournalData, 1024, 2048, reply, 1, ""), 0);
    EXPECT_EQ(link_.requests[0], hex("2103010B0004000800 00"));
    EXPECT_EQ(reply.count, 1024);
    EXPECT_EQ(bytes(reply), data.mid(2048, 1024));
}

TEST_F(RequestLayerTest, BlockOffsetTravelsLeastSignificantByteFirst)
{
    link_.onRequest = [](const QByteArray &, uint8_t *, uint16_t, uint16_t *) { return 0; };
    ReplyData reply;
    layer_.RequestBlock(ObjFlash, 16, 1024, reply, 0, "");
    layer_.RequestBlock(ObjFlash, 16, 0x12345678, reply, 0, "");
    EXPECT_EQ(link_.requests[0].mid(6), hex("00040000"));
    EXPECT_EQ(link_.requests[1].mid(6), hex("78563412"));
}

TEST_F(RequestLayerTest, QueryRequestPacketAndData)
{
    link_.objects[ObjDateTime] = hex("0102030405060708");
    ReplyData reply;
    ASSERT_EQ(layer_.RequestQuery(ObjDateTime, 8, nullptr, reply, 1, ""), 0);
    EXPECT_EQ(link_.requests[0], hex("2102020C0800"));
    EXPECT_EQ(reply.count, 8);
    EXPECT_EQ(bytes(reply), hex("0102030405060708"));
}

TEST_F(RequestLayerTest, QueryWithArgumentSendsIt)
{
    const QByteArray key = hex("0A0B0C0D0E0F1011121314");
    link_.objects[ObjRecordSearch] = QByteArray(11, 'r');
    ReplyData reply;
    ASSERT_EQ(layer_.RequestQuery(ObjRecordSearch, 11,
                                  reinterpret_cast<const uint8_t *>(key.constData()), reply, 1, ""),
              0);
    ASSERT_EQ(link_.requests[0].size(), 17);
    EXPECT_EQ(link_.requests[0], hex("2102FF0A0B00") + key);
    EXPECT_EQ(bytes(reply), QByteArray(11, 'r'));
}

TEST_F(RequestLayerTest, CountComesFromTheReplyNotFromItsLength)
{
    link_.onRequest = [](const QByteArray &, uint8_t *reply, uint16_t, uint16_t *length) {
        reply[4] = 8;
        reply[5] = 0;
        *length = 100;
        return 0;
    };
    ReplyData reply;
    ASSERT_EQ(layer_.RequestQuery(ObjPower, 12, nullptr, reply, 1, ""), 0);
    EXPECT_EQ(reply.count, 8);
    EXPECT_EQ(reply.data.size(), 8u);
}

TEST_F(RequestLayerTest, CountNeverClaimsMoreThanTheReplyCarried)
{
    // A full-looking count on a short reply must not pass stale bytes on as data.
    link_.onRequest = [](const QByteArray &, uint8_t *reply, uint16_t, uint16_t *length) {
        reply[4] = 0x00;
        reply[5] = 0x04; // claims 1024
        *length = 10 + 100;
        return 0;
    };
    ReplyData reply;
    ASSERT_EQ(layer_.RequestBlock(ObjJournalData, 1024, 0, reply, 1, ""), 0);
    EXPECT_EQ(reply.count, 100);
    EXPECT_EQ(reply.data.size(), 100u);
    ASSERT_EQ(layer_.RequestQuery(ObjPower, 12, nullptr, reply, 1, ""), 0);
    EXPECT_EQ(reply.count, 104);
}

TEST_F(RequestLayerTest, WritePacket)
{
    const QByteArray record = hex("1122334455667788");
    ASSERT_EQ(layer_.RequestWrite(ObjDateTime,
                                  reinterpret_cast<const uint8_t *>(record.constData()), 8, 1, ""),
              0);
    EXPECT_EQ(link_.requests[0], hex("2104020C0800") + record);
    EXPECT_EQ(link_.written[ObjDateTime], record);
}

TEST_F(RequestLayerTest, WriteOfNothingSendsTheHeadOnly)
{
    ASSERT_EQ(layer_.RequestWrite(ObjDateTime, nullptr, 0, 1, ""), 0);
    EXPECT_EQ(link_.requests[0], hex("2104020C0000"));
}

TEST_F(RequestLayerTest, NetworkNumberIsTheChannelsAtRequestTime)
{
    link_.objects[ObjFlash] = QByteArray(3, 'f');
    uint32_t size = 0;
    channel_.netNumber = 250;
    layer_.RequestSize(ObjFlash, size, 0, "");
    channel_.netNumber = 1;
    layer_.RequestSize(ObjFlash, size, 0, "");
    EXPECT_EQ(link_.requests[0], hex("FA010009"));
    EXPECT_EQ(link_.requests[1], hex("01010009"));
}

TEST_F(RequestLayerTest, RequestsThatDoNotFitAreRefusedBeforeTheLibrary)
{
    QByteArray big(2000, 'x');
    const auto *bytes = reinterpret_cast<const uint8_t *>(big.constData());
    ReplyData reply;
    EXPECT_EQ(layer_.RequestQuery(ObjRecordSearch, 1066, bytes, reply, 0, ""), kErrRequestTooLong);
    EXPECT_EQ(layer_.RequestWrite(ObjDateTime, bytes, 1066, 0, ""), kErrRequestTooLong);
    EXPECT_EQ(layer_.RequestWrite(ObjDateTime, nullptr, 4, 0, ""), kErrRequestTooLong);
    EXPECT_TRUE(link_.callsNamed("_trvCL_fRequest").empty());
    EXPECT_TRUE(host_.boxes.empty());

    // The largest that fits goes out whole.
    link_.onRequest = [](const QByteArray &, uint8_t *, uint16_t, uint16_t *) { return 0; };
    EXPECT_EQ(layer_.RequestWrite(ObjDateTime, bytes, 1065, 0, ""), 0);
    EXPECT_EQ(link_.requests.back().size(), kLinkBufferSize);
}

TEST_F(RequestLayerTest, RefusedRequestIsReportedAsFinal)
{
    QByteArray big(1066, 'x');
    EXPECT_EQ(layer_.RequestWrite(ObjDateTime, reinterpret_cast<const uint8_t *>(big.constData()),
                                  1066, 1, "Установка даты и времени"),
              kErrRequestTooLong);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_TRUE(host_.boxes[0].text.startsWith("COM2: [Ош=-52] "));
    EXPECT_TRUE(link_.requests.empty());
}

// Attempts, pauses and dialogs.

TEST_F(RequestLayerTest, SuccessAtOnceNeedsNoPauseNoMessagesNoDialog)
{
    link_.objects[ObjFlash] = QByteArray(10, 'f');
    uint32_t size = 0;
    EXPECT_EQ(layer_.RequestSize(ObjFlash, size, 1, "x"), 0);
    EXPECT_TRUE(host_.sleeps.empty());
    EXPECT_EQ(host_.processEventsCount, 0);
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(RequestLayerTest, TenAttemptsAndTenPausesBeforeTheQuestion)
{
    failNext(10, -3);
    size_t sleepsAtQuestion = 0;
    int eventsAtQuestion = 0;
    host_.onMessageBox = [&](const test::RecordedBox &) {
        sleepsAtQuestion = host_.sleeps.size();
        eventsAtQuestion = host_.processEventsCount;
    };
    host_.answers = {kIdNo};
    uint32_t size = 99;
    EXPECT_EQ(layer_.RequestSize(ObjJournalHeader, size, 1, "Чтение размера заголовка журнала"),
              -3);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(requestCount(), 10);
    EXPECT_EQ(host_.sleeps, std::vector<int>(10, 100));
    EXPECT_EQ(sleepsAtQuestion, 10u);
    EXPECT_EQ(eventsAtQuestion, 10);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].caption, "vestan :\"Чтение размера заголовка журнала\"");
    EXPECT_EQ(host_.boxes[0].text, "COM2: [Ош=-3] \"Нет ответа\"\nПовторить операцию?");
    EXPECT_EQ(host_.boxes[0].style, kMbIconQuestion | kMbYesNo);
    EXPECT_EQ(host_.unexpectedBoxes, 0);
}

TEST_F(RequestLayerTest, YesStartsTenMoreAttempts)
{
    failNext(20, -3);
    host_.answers = {kIdYes, kIdNo};
    uint32_t size = 0;
    EXPECT_EQ(layer_.RequestSize(ObjJournalHeader, size, 1, ""), -3);
    EXPECT_EQ(requestCount(), 20);
    EXPECT_EQ(host_.sleeps.size(), 20u);
    EXPECT_EQ(host_.boxes.size(), 2u);
}

TEST_F(RequestLayerTest, YesCanEndInSuccess)
{
    link_.objects[ObjJournalHeader] = QByteArray(84, 'h');
    failNext(10, -3);
    host_.answers = {kIdYes};
    uint32_t size = 0;
    EXPECT_EQ(layer_.RequestSize(ObjJournalHeader, size, 1, ""), 0);
    EXPECT_EQ(size, 84u);
    EXPECT_EQ(requestCount(), 11);
    EXPECT_EQ(host_.boxes.size(), 1u);
}

TEST_F(RequestLayerTest, NoReturnsTheLastCode)
{
    failNext(9, -3);
    failNext(1, -4);
    host_.answers = {kIdNo};
    uint32_t size = 0;
    EXPECT_EQ(layer_.RequestSize(ObjJournalHeader, size, 1, ""), -4);
    ASSERT_EQ(host_.boxes.size(), 1u);
    // No text for -4 from the library: empty quotes.
    EXPECT_EQ(host_.boxes[0].text, "COM2: [Ош=-4] \"\"\nПовторить операцию?");
}

TEST_F(RequestLayerTest, FinalErrorStopsAtOnce)
{
    failNext(1, -9);
    channel_.portIndex = 4;
    uint32_t size = 0;
    EXPECT_EQ(layer_.RequestSize(ObjJournalHeader, size, 1, "Чтение размера данных журнала"), -9);
    EXPECT_EQ(requestCount(), 1);
    EXPECT_TRUE(host_.sleeps.empty());
    EXPECT_EQ(host_.processEventsCount, 0);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].caption, "vestan :\"Чтение размера данных журнала\"");
    EXPECT_EQ(host_.boxes[0].text, "COM5: [Ош=-9] \"Порт закрыт\"");
    EXPECT_EQ(host_.boxes[0].style, kMbIconStop | kMbOk);
}

TEST_F(RequestLayerTest, StopDuringThePausesGivesMinus51)
{
    failNext(10, -3);
    host_.onProcessEvents = [&] {
        if (host_.processEventsCount == 3)
            channel_.running = 0;
    };
    uint32_t size = 0;
    EXPECT_EQ(layer_.RequestSize(ObjJournalHeader, size, 1, ""), kErrStopped);
    EXPECT_EQ(requestCount(), 3);
    EXPECT_EQ(host_.sleeps.size(), 3u);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].text, "COM2: [Ош=-51] \"Остановлено\"");
    EXPECT_EQ(host_.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_EQ(link_.callsNamed("_trvCL_fErr2str"),
              std::vector<std::string>{"_trvCL_fErr2str(-51)"});
}

TEST_F(RequestLayerTest, StopWithoutReportingIsSilent)
{
    failNext(10, -3);
    host_.onProcessEvents = [&] { channel_.running = 0; };
    uint32_t size = 0;
    EXPECT_EQ(layer_.RequestSize(ObjJournalHeader, size, 0, ""), kErrStopped);
    EXPECT_EQ(requestCount(), 1);
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(RequestLayerTest, FirstAttemptIsMadeEvenWhenNotRunning)
{
    channel_.running = 0;
    link_.objects[ObjFlash] = QByteArray(5, 'f');
    uint32_t size = 0;
    EXPECT_EQ(layer_.RequestSize(ObjFlash, size, 1, ""), 0);
    EXPECT_EQ(size, 5u);

    failNext(10, -3);
    EXPECT_EQ(layer_.RequestSize(ObjFlash, size, 1, ""), kErrStopped);
    EXPECT_EQ(requestCount(), 2);
    EXPECT_EQ(host_.sleeps.size(), 1u);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].style, kMbIconStop | kMbOk);
}

TEST_F(RequestLayerTest, WithoutReportingNoDialogAfterTenAttempts)
{
    failNext(10, -3);
    uint32_t size = 0;
    EXPECT_EQ(layer_.RequestSize(ObjJournalHeader, size, 0, "x"), -3);
    EXPECT_EQ(requestCount(), 10);
    EXPECT_EQ(host_.sleeps.size(), 10u);
    EXPECT_TRUE(host_.boxes.empty());
    EXPECT_TRUE(link_.callsNamed("_trvCL_fErr2str").empty());
}

TEST_F(RequestLayerTest, CaptionWithoutOperationNameIsTheProgramFileName)
{
    failNext(1, -9);
    uint32_t size = 0;
    layer_.RequestSize(ObjJournalHeader, size, 1, QString());
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].caption, "vestan");
}

TEST_F(RequestLayerTest, FailureLeavesTheReportedReplyLengthAsCount)
{
    link_.onRequest = [](const QByteArray &, uint8_t *, uint16_t, uint16_t *length) {
        *length = 5;
        return -9;
    };
    ReplyData reply;
    EXPECT_EQ(layer_.RequestQuery(ObjPower, 12, nullptr, reply, 0, ""), -9);
    EXPECT_EQ(reply.count, 5);
    EXPECT_TRUE(reply.data.empty());
    reply.count = 0;
    EXPECT_EQ(layer_.RequestBlock(ObjFlash, 16, 0, reply, 0, ""), -9);
    EXPECT_EQ(reply.count, 5);

    // A library that reports no length leaves 0.
    link_.onRequest = nullptr;
    failNext(1, -9);
    reply.count = 77;
    EXPECT_EQ(layer_.RequestBlock(ObjFlash, 16, 0, reply, 0, ""), -9);
    EXPECT_EQ(reply.count, 0);
}

} // namespace
} // namespace vestan
