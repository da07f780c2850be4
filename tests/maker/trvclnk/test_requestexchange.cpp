#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/requestexchange.h"
#include "scriptedchannel.h"
#include "tests/support/blockframe.h"

#include <gtest/gtest.h>

using namespace vestan;
using namespace vestan::trvclnk;
using vestan::test::Bytes;
using vestan::test::ScriptedChannel;

namespace {

const Bytes kSizeRequest = {0x21, 0x01, 0x00, 0x0B};
const Bytes kSizeReply = {0x21, 0x01, 0x00, 0x0B, 0xE0, 0x00, 0x00, 0x00};
// Block read of 0x0B01: 16 bytes from offset 2048.
const Bytes kBlockRequest = {0x21, 0x03, 0x01, 0x0B, 0x10, 0x00, 0x00, 0x08, 0x00, 0x00};

Bytes blockReply(uint16_t count, uint32_t offset, uint8_t net = 0x21)
{
    Bytes r = vestan::test::blockFrameHead(net, 0x0B01, count, offset);
    for (uint16_t i = 0; i < count; ++i)
        r.push_back(uint8_t(i * 7));
    return r;
}

class RequestExchangeTest : public ::testing::Test
{
protected:
    RequestExchangeTest()
    {
        settings.baud = 115200;
        settings.replyTimeoutMs = 1000;
    }

    int32_t run(const Bytes &request, uint16_t capacity = kLinkBufferSize)
    {
        replyLength = 0xFFFF;
        return exchange().run(request.data(), uint16_t(request.size()), reply.data(), capacity,
                              &replyLength);
    }

    RequestExchange &exchange()
    {
        if (!exchange_)
            exchange_ = std::make_unique<RequestExchange>(channel, settings, stats);
        return *exchange_;
    }

    Bytes replyBytes() const { return Bytes(reply.begin(), reply.begin() + replyLength); }

    ScriptedChannel channel;
    PortSettings settings;
    LinkStatistics stats;
    std::array<uint8_t, 2048> reply{};
    uint16_t replyLength = 0;

private:
    std::unique_ptr<RequestExchange> exchange_;
};

} // namespace

TEST_F(RequestExchangeTest, SendsOneFrameAndTakesTheMatchingReply)
{
    channel.onWrite = [&](const Bytes &) { channel.frameIn(2, kSizeReply); };
    ASSERT_EQ(run(kSizeRequest), kOk);
    ASSERT_EQ(channel.written.size(), 1u);
    EXPECT_EQ(channel.written[0], line::encodeFrame(kSizeRequest.data(), kSizeRequest.size()));
    EXPECT_EQ(replyBytes(), kSizeReply);
    EXPECT_EQ(stats.requests, 1u);
    EXPECT_EQ(stats.replies, 1u);
    EXPECT_EQ(stats.bytesSent, kSizeRequest.size() + 6);
    EXPECT_EQ(stats.bytesReceived, kSizeReply.size() + 6);
}

TEST_F(RequestExchangeTest, ReplyInPiecesWithShortPausesIsAssembled)
{
    const Bytes frame = line::encodeFrame(blockReply(16, 2048).data(), 26);
    channel.onWrite = [&](const Bytes &) {
        channel.arriveIn(5, Bytes(frame.begin(), frame.begin() + 3));
        channel.arriveIn(20, Bytes(frame.begin() + 3, frame.begin() + 17));
        channel.arriveIn(40, Bytes(frame.begin() + 17, frame.end()));
    };
    ASSERT_EQ(run(kBlockRequest), kOk);
    EXPECT_EQ(replyBytes(), blockReply(16, 2048));
}

TEST_F(RequestExchangeTest, GarbageBeforeTheReplyIsSkipped)
{
    channel.onWrite = [&](const Bytes &) {
        channel.arriveIn(1, {0x00, 0xA5, 0x13, 0xFF, 0xA5});
        channel.frameIn(3, kSizeReply);
    };
    ASSERT_EQ(run(kSizeRequest), kOk);
    EXPECT_EQ(replyBytes(), kSizeReply);
    EXPECT_GE(stats.garbageBytes, 5u);
}

TEST_F(RequestExchangeTest, ReplyForAnotherNetworkNumberIsIgnoredAndTimesOut)
{
    Bytes foreign = kSizeReply;
    foreign[0] = 0x22;
    channel.onWrite = [&](const Bytes &) { channel.frameIn(2, foreign); };
    const int64_t timeout = exchange().replyTimeoutMs(kSizeRequest.data(), 4);
    EXPECT_EQ(run(kSizeRequest), kErrTimeout);
    EXPECT_EQ(isFinalError(kErrTimeout), 0);
    EXPECT_EQ(replyLength, 0);
    EXPECT_EQ(stats.foreignFrames, 1u);
    EXPECT_EQ(stats.timeouts, 1u);
    EXPECT_GE(channel.now, timeout);
    EXPECT_LE(channel.now, timeout + 1);
}

TEST_F(RequestExchangeTest, ForeignFrameBeforeTheOwnReplyDoesNotHideIt)
{
    Bytes foreign = kSizeReply;
    foreign[0] = 0x05;
    channel.onWrite = [&](const Bytes &) {
        channel.frameIn(1, foreign);
        channel.frameIn(4, kSizeReply);
    };
    ASSERT_EQ(run(kSizeRequest), kOk);
    EXPECT_EQ(replyBytes(), kSizeReply);
}

TEST_F(RequestExchangeTest, LateReplyToAnEarlierRequestIsNotTaken)
{
    Bytes otherObject = kSizeReply;
    otherObject[3] = 0x0C;
    channel.onWrite = [&](const Bytes &) {
        channel.frameIn(1, otherObject);          // size of another object
        channel.frameIn(2, blockReply(16, 1024)); // the block of another offset
        channel.frameIn(3, blockReply(16, 2048)); // the answer
    };
    ASSERT_EQ(run(kBlockRequest), kOk);
    EXPECT_EQ(replyBytes(), blockReply(16, 2048));
    EXPECT_EQ(stats.strayFrames, 2u);
}

TEST_F(RequestExchangeTest, BytesLeftFromBeforeTheRequestAreDiscarded)
{
    Bytes stale = kSizeReply;
    stale[4] = 0x99;
    channel.frameIn(0, stale);
    channel.onWrite = [&](const Bytes &) { channel.frameIn(2, kSizeReply); };
    ASSERT_EQ(run(kSizeRequest), kOk);
    EXPECT_EQ(replyBytes(), kSizeReply);
}

TEST_F(RequestExchangeTest, ReplyLargerThanTheCapacityIsRefusedUntouched)
{
    const Bytes big = blockReply(16, 2048); // 26 bytes
    channel.onWrite = [&](const Bytes &) { channel.frameIn(1, big); };
    reply.fill(0xEE);
    EXPECT_EQ(run(kBlockRequest, 20), kErrReplyTooLarge);
    EXPECT_NE(isFinalError(kErrReplyTooLarge), 0);
    EXPECT_EQ(replyLength, 0);
    for (uint8_t byte : reply)
        ASSERT_EQ(byte, 0xEE);
    EXPECT_EQ(stats.oversize, 1u);
    // The line stays usable.
    EXPECT_EQ(run(kBlockRequest, 26), kOk);
    EXPECT_EQ(replyBytes(), big);
}

TEST_F(RequestExchangeTest, CorruptedReplyEndsEarlyWithACrcError)
{
    Bytes frame = line::encodeFrame(kSizeReply.data(), kSizeReply.size());
    frame[6] ^= 0x10;
    channel.onWrite = [&](const Bytes &) { channel.arriveIn(2, frame); };
    EXPECT_EQ(run(kSizeRequest), kErrCrc);
    EXPECT_EQ(isFinalError(kErrCrc), 0);
    EXPECT_EQ(stats.crcErrors, 1u);
    // Broken bytes then silence: no need to wait out the whole time-out.
    EXPECT_LT(channel.now, exchange().replyTimeoutMs(kSizeRequest.data(), 4));
}

TEST_F(RequestExchangeTest, TruncatedReplyIsGivenUpAfterTheInterByteTimeOut)
{
    const Bytes frame = line::encodeFrame(kSizeReply.data(), kSizeReply.size());
    channel.onWrite = [&](const Bytes &) {
        channel.arriveIn(2, Bytes(frame.begin(), frame.end() - 3));
    };
    EXPECT_EQ(run(kSizeRequest), kErrMalformed);
    EXPECT_EQ(isFinalError(kErrMalformed), 0);
    EXPECT_EQ(stats.malformed, 1u);
    EXPECT_GE(channel.now, 2 + settings.effectiveInterByteTimeoutMs());
    EXPECT_LT(channel.now, exchange().replyTimeoutMs(kSizeRequest.data(), 4));
}

TEST_F(RequestExchangeTest, CountBeyondTheReplyIsAMalformedReply)
{
    Bytes lying = blockReply(16, 2048);
    lying[4] = 100; // says 100 bytes, carries 16
    channel.onWrite = [&](const Bytes &) { channel.frameIn(1, lying); };
    EXPECT_EQ(run(kBlockRequest), kErrMalformed);
}

TEST_F(RequestExchangeTest, ShortSizeReplyIsMalformed)
{
    channel.onWrite = [&](const Bytes &) { channel.frameIn(1, {0x21, 0x01, 0x00, 0x0B, 0x01}); };
    EXPECT_EQ(run(kSizeRequest), kErrMalformed);
}

TEST_F(RequestExchangeTest, CountOtherThanAskedIsStillDelivered)
{
    // Judging the count against the request is the caller's business.
    channel.onWrite = [&](const Bytes &) { channel.frameIn(1, blockReply(15, 2048)); };
    ASSERT_EQ(run(kBlockRequest), kOk);
    EXPECT_EQ(reply[4], 15);
}

TEST_F(RequestExchangeTest, FrameStillArrivingAtTheDeadlineMayFinish)
{
    const Bytes frame = line::encodeFrame(blockReply(16, 2048).data(), 26);
    const int64_t timeout = exchange().replyTimeoutMs(kBlockRequest.data(), 10);
    channel.onWrite = [&](const Bytes &) {
        channel.arriveIn(timeout - 1, Bytes(frame.begin(), frame.begin() + 10));
        channel.arriveIn(timeout + 20, Bytes(frame.begin() + 10, frame.end()));
    };
    ASSERT_EQ(run(kBlockRequest), kOk);
    EXPECT_EQ(replyBytes(), blockReply(16, 2048));
}

TEST_F(RequestExchangeTest, FailedWriteAndFailedDeviceHaveTheirCodes)
{
    channel.failWrites = true;
    EXPECT_EQ(run(kSizeRequest), kErrWriteFailed);
    EXPECT_EQ(stats.writeErrors, 1u);
    channel.failWrites = false;
    channel.failReads = true;
    EXPECT_EQ(run(kSizeRequest), kErrDeviceLost);
    EXPECT_EQ(stats.deviceErrors, 1u);
    EXPECT_NE(isFinalError(kErrDeviceLost), 0);
}

TEST_F(RequestExchangeTest, ReplyTimeOutGrowsWithTheLineTimeOfTheExpectedReply)
{
    settings.baud = 9600; // 10 bits a character
    const Bytes block1024 = {0x21, 0x03, 0x01, 0x0B, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00};
    // 1000 ms, plus 16 bytes out (16.7 ms) and 10 + 1024 + 6 bytes back (1083.4 ms).
    EXPECT_EQ(exchange().replyTimeoutMs(block1024.data(), 10), 1000 + 17 + 1084);
    // A size request expects 8 bytes: 14 on the line.
    EXPECT_EQ(exchange().replyTimeoutMs(kSizeRequest.data(), 4), 1000 + 11 + 15);
}

TEST(PortSettingsTiming, InterByteTimeOutFollowsTheSpeedWithAFloor)
{
    PortSettings s;
    s.baud = 115200;
    EXPECT_EQ(s.effectiveInterByteTimeoutMs(), 50);
    s.baud = 300; // 10 characters need 334 ms
    EXPECT_EQ(s.effectiveInterByteTimeoutMs(), 334);
    s.interByteTimeoutMs = 75;
    EXPECT_EQ(s.effectiveInterByteTimeoutMs(), 75);
    s.parity = 'E';
    s.stopBits = 2;
    EXPECT_EQ(s.bitsPerCharacter(), 12);
}
