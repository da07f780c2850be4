// The streamed walk against a scripted in-order controller on virtual time.

#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/walkstream.h"
#include "scriptedchannel.h"
#include "tests/support/blockframe.h"

#include <gtest/gtest.h>
#include <set>

using namespace vestan;
using namespace vestan::trvclnk;
using vestan::test::Bytes;
using vestan::test::ScriptedChannel;

namespace {

Bytes blockRead(uint16_t length, uint32_t offset)
{
    return vestan::test::blockFrameHead(0x21, 0x0B01, length, offset);
}

uint32_t u32At(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

class WalkStreamTest : public ::testing::Test
{
protected:
    WalkStreamTest()
    {
        settings.baud = 115200;
        settings.replyTimeoutMs = 200;
        channel.onWrite = [this](const Bytes &written) { controllerReads(written); };
    }

    void setObject(size_t size)
    {
        object.resize(size);
        for (size_t i = 0; i < size; ++i)
            object[i] = uint8_t(i * 31 + (i >> 8));
    }

    // Answers every block read in order, each reply after the one before.
    void controllerReads(const Bytes &written)
    {
        line::FrameDecoder requests(line::kMaxPayload, false);
        requests.feed(written.data(), written.size());
        Bytes request;
        bool first = true;
        while (requests.takeFrame(request)) {
            // One at a time: what comes with a request or while it is being
            // answered is lost.
            if (oneAtATime && (!first || channel.now < lastReplyAt))
                continue;
            first = false;
            ++asked;
            const uint16_t length = uint16_t(request[4] | request[5] << 8);
            const uint32_t offset = u32At(request.data() + 6);
            const size_t from = std::min<size_t>(offset, object.size());
            const size_t count = std::min<size_t>(length, object.size() - from);
            Bytes reply(request.begin(), request.end());
            reply[4] = uint8_t(count);
            reply[5] = uint8_t(count >> 8);
            reply.insert(reply.end(), object.begin() + std::ptrdiff_t(from),
                         object.begin() + std::ptrdiff_t(from + count));
            Bytes frame = line::encodeFrame(reply.data(), reply.size());
            int64_t delay = 0;
            if (fault)
                fault(offset, frame, delay);
            lastReplyAt = std::max(lastReplyAt, channel.now) + 1 + delay +
                          settings.lineTimeMs(int64_t(frame.size()));
            channel.incoming.push_back({lastReplyAt, frame});
        }
    }

    // Walks the object in portions from `start`, as the program does.
    Bytes walk(uint32_t start, uint16_t portion, WalkStream &stream)
    {
        Bytes got;
        for (uint32_t offset = start; offset < object.size();) {
            const auto length = uint16_t(std::min<size_t>(portion, object.size() - offset));
            const Bytes request = blockRead(length, offset);
            EXPECT_TRUE(stream.continues(request.data(), 10)) << offset;
            uint16_t replyLength = 0;
            const int32_t result = stream.serve(request.data(), reply.data(), 1071, &replyLength);
            EXPECT_EQ(result, kOk) << offset;
            if (result != kOk)
                break;
            const uint16_t count = uint16_t(reply[4] | reply[5] << 8);
            EXPECT_EQ(count, length) << offset;
            EXPECT_EQ(replyLength, 10 + count);
            EXPECT_EQ(u32At(reply.data() + 6), offset);
            got.insert(got.end(), reply.begin() + 10, reply.begin() + 10 + count);
            offset += count;
        }
        stream.settle();
        return got;
    }

    Bytes part(size_t from) const
    {
        return Bytes(object.begin() + std::ptrdiff_t(from), object.end());
    }

    // Every request either got its reply or is a failed attempt.
    void expectAccounted() const
    {
        EXPECT_EQ(stats.requests - stats.replies, stats.failedAttempts());
    }

    ScriptedChannel channel;
    PortSettings settings;
    LinkStatistics stats;
    Bytes object;
    std::array<uint8_t, 1071> reply{};
    std::function<void(uint32_t offset, Bytes &frame, int64_t &delay)> fault;
    bool oneAtATime = false;
    int64_t lastReplyAt = 0;
    int asked = 0;
};

TEST_F(WalkStreamTest, HeaderOf2500BytesWhoseEndBreaksIsWholeAndShortAtTheEnd)
{
    setObject(2500);
    // Every reply from the piece that holds the end on loses a byte once:
    // nothing follows them that would show the loss.
    std::set<uint32_t> spoilt;
    fault = [&](uint32_t offset, Bytes &frame, int64_t &) {
        if (offset >= 2048 && spoilt.insert(offset).second)
            frame.erase(frame.begin() + std::ptrdiff_t(frame.size() / 2));
    };
    const Bytes first = blockRead(1024, 1024);
    WalkStream stream(channel, settings, stats, first.data(), 8);
    EXPECT_EQ(walk(1024, 1024, stream), part(1024));
    EXPECT_FALSE(spoilt.empty());
    EXPECT_GT(stats.failedAttempts(), 0u);
    expectAccounted();
    // Found out by the broken bytes and a short silence, not the time-out.
    EXPECT_EQ(stats.timeouts, 0u);
}

TEST_F(WalkStreamTest, LateReplyAfterItWasAskedForAgainIsTakenOnce)
{
    setObject(6000);
    bool late = false;
    fault = [&](uint32_t offset, Bytes &frame, int64_t &delay) {
        if (offset != 2048 || late)
            return;
        // A frame cut short, then the whole reply after the library has
        // given it up and asked again.
        late = true;
        Bytes cut(frame.begin(), frame.begin() + 12);
        channel.incoming.push_back({lastReplyAt + 1, cut});
        lastReplyAt += 1;
        delay = settings.effectiveInterByteTimeoutMs() + 30;
    };
    oneAtATime = false;
    const Bytes first = blockRead(1024, 1024);
    // One request at a time on the line, so the reply to 2048 is what the
    // library waits for when the cut frame comes.
    WalkStream stream(channel, settings, stats, first.data(), 1);
    EXPECT_EQ(walk(1024, 1024, stream), part(1024));
    EXPECT_TRUE(late);
    EXPECT_GE(stats.strayFrames, 1u); // the second answer to 2048
    expectAccounted();
}

TEST_F(WalkStreamTest, PortionsSmallerThanAPieceShareOneBlockRead)
{
    setObject(1000);
    const Bytes first = blockRead(100, 100);
    WalkStream stream(channel, settings, stats, first.data(), 8);
    EXPECT_EQ(walk(100, 100, stream), part(100));
    // A kilobyte from 100 holds the rest of the object: the nine portions
    // cost one block read and the few sent ahead before its reply came.
    EXPECT_LE(asked, 5);
    expectAccounted();
}

TEST_F(WalkStreamTest, ControllerTakingOneRequestAtATimeIsStillServedWhole)
{
    setObject(8192);
    oneAtATime = true;
    const Bytes first = blockRead(1024, 1024);
    WalkStream stream(channel, settings, stats, first.data(), 8);
    // Only the first request of each write is answered; the replies that
    // come show the others lost, and those are asked for again.
    EXPECT_EQ(walk(1024, 1024, stream), part(1024));
    EXPECT_GT(stats.failedAttempts(), 0u);
    expectAccounted();
    // Strictly one after the other, nothing is lost.
    const uint64_t failed = stats.failedAttempts();
    lastReplyAt = channel.now;
    const Bytes again = blockRead(1024, 0);
    WalkStream strict(channel, settings, stats, again.data(), 1);
    const int64_t started = channel.now;
    EXPECT_EQ(walk(0, 1024, strict), object);
    EXPECT_EQ(stats.failedAttempts(), failed);
    // Each reply is judged by the start of the next one, asked as soon as it
    // is whole, not by a quiet inter-byte time-out after every piece.
    EXPECT_LT(channel.now - started,
              8 * settings.lineTimeMs(1060) + 2 * settings.effectiveInterByteTimeoutMs())
        << channel.now - started;
}

} // namespace

TEST_F(WalkStreamTest, DoubtfulPieceIsHandedOverOnlyWhenTwoReadingsAgree)
{
    setObject(8192);
    // The reply to the piece at 3072 comes with wrong bytes that pass the
    // check sum, and the line is damaged right after it: `doubts` times, each
    // reading different, then whole.
    int doubts = 2;
    int readings = 0;
    fault = [&](uint32_t offset, Bytes &frame, int64_t &) {
        if (offset != 3072 || ++readings > doubts)
            return;
        Bytes payload(frame.begin() + 4, frame.end() - 2);
        payload[20] ^= uint8_t(readings);
        frame = line::encodeFrame(payload.data(), payload.size());
        frame.push_back(0x11);
    };
    const Bytes first = blockRead(1024, 1024);
    WalkStream stream(channel, settings, stats, first.data(), 8);
    EXPECT_EQ(walk(1024, 1024, stream), part(1024));
    // Two readings that disagree, then a third that is whole.
    EXPECT_EQ(readings, 3);
    EXPECT_EQ(stats.doubtfulReplies, 2u);
    expectAccounted();

    // A line that damages the piece every time fails the portion, and
    // never hands over wrong bytes.
    doubts = 1 << 30;
    readings = 0;
    lastReplyAt = channel.now;
    WalkStream spoilt(channel, settings, stats, first.data(), 8);
    uint16_t replyLength = 0;
    int32_t result = kOk;
    for (uint32_t offset = 1024; offset <= 3072 && result == kOk; offset += 1024) {
        const Bytes request = blockRead(1024, offset);
        result = spoilt.serve(request.data(), reply.data(), 1071, &replyLength);
        EXPECT_TRUE(result != kOk || offset < 3072) << offset;
    }
    EXPECT_EQ(result, kErrMalformed);
    EXPECT_GE(readings, 3);
    spoilt.settle();
}
