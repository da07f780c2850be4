#include "maker/trvclnk/framecodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace vestan::line;

namespace {

using Bytes = std::vector<uint8_t>;

// Deterministic payload that also holds start marks, so the decoder meets
// 0xA5 inside frames as it will on the line.
Bytes payloadOf(size_t size, uint32_t seed)
{
    Bytes out(size);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = (i % 97 == 5) ? kStartMark : uint8_t(x);
    }
    return out;
}

Bytes frameOf(const Bytes &payload)
{
    return encodeFrame(payload.data(), payload.size());
}

// Feeds everything, then collects frames; gives up stalled frames the way a
// receiver does when the line goes quiet.
std::vector<Bytes> decodeAll(FrameDecoder &decoder, const Bytes &stream)
{
    decoder.feed(stream.data(), stream.size());
    std::vector<Bytes> frames;
    Bytes payload;
    for (;;) {
        while (decoder.takeFrame(payload))
            frames.push_back(payload);
        if (!decoder.framePending())
            break;
        decoder.skipPending();
    }
    return frames;
}

void append(Bytes &to, const Bytes &what)
{
    to.insert(to.end(), what.begin(), what.end());
}

Bytes joined(Bytes first, const Bytes &second)
{
    append(first, second);
    return first;
}

} // namespace

TEST(Crc, KnownCheckValues)
{
    const char *text = "123456789";
    const auto *bytes = reinterpret_cast<const uint8_t *>(text);
    EXPECT_EQ(crc16(bytes, 9), 0x29B1); // CRC-16/CCITT-FALSE
    EXPECT_EQ(crc8(bytes, 9), 0xF4);    // CRC-8 poly 0x07
}

TEST(FrameEncoding, LayoutOfASizeRequest)
{
    const Bytes request = {0x21, 0x01, 0x00, 0x0B};
    const Bytes frame = frameOf(request);
    ASSERT_EQ(frame.size(), request.size() + kFramingSize);
    EXPECT_EQ(frame[0], kStartMark);
    EXPECT_EQ(frame[1], 4);
    EXPECT_EQ(frame[2], 0);
    EXPECT_EQ(frame[3], crc8(frame.data(), 3));
    EXPECT_TRUE(std::equal(request.begin(), request.end(), frame.begin() + 4));
    const uint16_t crc = crc16(frame.data() + 1, 3 + request.size());
    EXPECT_EQ(frame[8], crc & 0xFF);
    EXPECT_EQ(frame[9], crc >> 8);
}

TEST(FrameEncoding, ExamplesOfTheProtocolDocument)
{
    const std::pair<Bytes, Bytes> examples[] = {
        {{0x21, 0x01, 0x00, 0x0B}, {0xA5, 0x04, 0x00, 0xDC, 0x21, 0x01, 0x00, 0x0B, 0x60, 0x4B}},
        {{0x21, 0x01, 0x00, 0x0B, 0xE0, 0x00, 0x00, 0x00},
         {0xA5, 0x08, 0x00, 0x20, 0x21, 0x01, 0x00, 0x0B, 0xE0, 0x00, 0x00, 0x00, 0xB2, 0x3D}},
        {{0x21, 0x03, 0x01, 0x0B, 0x00, 0x04, 0x00, 0x08, 0x00, 0x00},
         {0xA5, 0x0A, 0x00, 0x0A, 0x21, 0x03, 0x01, 0x0B, 0x00, 0x04, 0x00, 0x08, 0x00, 0x00, 0xFA,
          0xFC}},
        {{0x21, 0x02, 0x02, 0x0C, 0x08, 0x00},
         {0xA5, 0x06, 0x00, 0xF6, 0x21, 0x02, 0x02, 0x0C, 0x08, 0x00, 0xCC, 0xE9}},
        {{}, {0xA5, 0x00, 0x00, 0x88, 0x1C, 0xDC}},
    };
    for (const auto &[payload, frame] : examples)
        EXPECT_EQ(frameOf(payload), frame);
}

TEST(FrameEncoding, PortionOf1024CostsAtMost1056BytesBothWays)
{
    const size_t request = 10 + kFramingSize;
    const size_t reply = 10 + 1024 + kFramingSize;
    EXPECT_LE(request + reply, 1056u);
}

TEST(FrameDecoding, RoundTripOfEveryLengthUpTo1071)
{
    FrameDecoder decoder(1071);
    Bytes payload;
    for (size_t length = 0; length <= 1071; ++length) {
        const Bytes sent = payloadOf(length, uint32_t(length));
        const Bytes frame = frameOf(sent);
        decoder.feed(frame.data(), frame.size());
        if (!decoder.takeFrame(payload)) {
            // It ends like the start of another frame: the quiet line shows not.
            ASSERT_TRUE(decoder.framePending()) << "length " << length;
            decoder.skipPending();
            ASSERT_TRUE(decoder.takeFrame(payload)) << "length " << length;
        }
        ASSERT_EQ(payload, sent) << "length " << length;
        ASSERT_FALSE(decoder.takeFrame(payload));
    }
    EXPECT_EQ(decoder.counters().frames, 1072u);
    EXPECT_EQ(decoder.counters().garbageBytes, 0u);
    EXPECT_EQ(decoder.bufferedBytes(), 0u);
}

TEST(FrameDecoding, OneByteAtATimeGivesTheFrameOnlyAtItsLastByte)
{
    const Bytes sent = payloadOf(300, 7);
    const Bytes frame = frameOf(sent);
    FrameDecoder decoder(kMaxPayload, false); // judges by what is there
    Bytes payload;
    for (size_t i = 0; i < frame.size(); ++i) {
        decoder.feed(&frame[i], 1);
        const bool whole = decoder.takeFrame(payload);
        ASSERT_EQ(whole, i + 1 == frame.size()) << "byte " << i;
        if (!whole) {
            EXPECT_TRUE(decoder.framePending());
            EXPECT_EQ(decoder.missingBytes() == 0, false);
        }
    }
    EXPECT_EQ(payload, sent);
    EXPECT_FALSE(decoder.framePending());
}

TEST(FrameDecoding, MissingBytesCountsDownToTheEnd)
{
    const Bytes frame = frameOf(payloadOf(50, 1));
    FrameDecoder decoder;
    Bytes payload;
    decoder.feed(frame.data(), 10);
    EXPECT_FALSE(decoder.takeFrame(payload));
    EXPECT_EQ(decoder.missingBytes(), frame.size() - 10);
}

TEST(FrameDecoding, ManyFramesDeliveredAllAtOnce)
{
    Bytes stream;
    std::vector<Bytes> sent;
    for (uint32_t i = 0; i < 40; ++i) {
        sent.push_back(payloadOf(i * 27 % 1072, i));
        append(stream, frameOf(sent.back()));
    }
    FrameDecoder decoder;
    EXPECT_EQ(decodeAll(decoder, stream), sent);
}

TEST(FrameDecoding, GarbageBeforeAndBetweenFramesIsSkipped)
{
    const Bytes a = payloadOf(100, 1), b = payloadOf(7, 2), c = payloadOf(1071, 3);
    Bytes stream = {0x00, 0xFF, kStartMark, 0x12, kStartMark, kStartMark, 0x33};
    append(stream, frameOf(a));
    append(stream, payloadOf(500, 99)); // noise full of start marks
    append(stream, frameOf(b));
    append(stream, {kStartMark});
    append(stream, frameOf(c));
    FrameDecoder decoder(1071);
    EXPECT_EQ(decodeAll(decoder, stream), (std::vector<Bytes>{a, b, c}));
    EXPECT_GT(decoder.counters().garbageBytes, 500u);
}

TEST(FrameDecoding, GarbageInsideAFrameLosesOnlyThatFrame)
{
    const Bytes a = payloadOf(200, 4), b = payloadOf(64, 5), c = payloadOf(10, 6);
    Bytes broken = frameOf(b);
    const Bytes noise = {0x01, kStartMark, 0x02};
    broken.insert(broken.begin() + 30, noise.begin(), noise.end());
    Bytes stream;
    append(stream, frameOf(a));
    append(stream, broken);
    append(stream, frameOf(c));
    FrameDecoder decoder(1071);
    EXPECT_EQ(decodeAll(decoder, stream), (std::vector<Bytes>{a, c}));
}

TEST(FrameDecoding, CorruptedLengthIsRefusedByItsCheck)
{
    const Bytes a = payloadOf(40, 8), b = payloadOf(41, 9);
    Bytes bad = frameOf(a);
    bad[1] ^= 0x04; // length 40 -> 44, check byte no longer fits
    Bytes stream = bad;
    append(stream, frameOf(b));
    FrameDecoder decoder;
    EXPECT_EQ(decodeAll(decoder, stream), (std::vector<Bytes>{b}));
    EXPECT_GE(decoder.counters().headerErrors, 1u);
    EXPECT_EQ(decoder.counters().crcErrors, 0u);
}

TEST(FrameDecoding, LengthAboveTheLimitIsNotAFrameStart)
{
    const Bytes big = payloadOf(1072, 10), small = payloadOf(3, 11);
    Bytes stream = frameOf(big);
    append(stream, frameOf(small));
    FrameDecoder decoder(1071);
    EXPECT_EQ(decodeAll(decoder, stream), (std::vector<Bytes>{small}));
    EXPECT_GE(decoder.counters().headerErrors, 1u);
}

TEST(FrameDecoding, CorruptedCrcOrPayloadDropsTheFrame)
{
    const Bytes a = payloadOf(90, 12), b = payloadOf(91, 13), c = payloadOf(92, 14);
    Bytes badCrc = frameOf(a);
    badCrc.back() ^= 0x80;
    Bytes badPayload = frameOf(b);
    badPayload[50] ^= 0x01;
    Bytes stream = badCrc;
    append(stream, badPayload);
    append(stream, frameOf(c));
    FrameDecoder decoder;
    EXPECT_EQ(decodeAll(decoder, stream), (std::vector<Bytes>{c}));
    EXPECT_EQ(decoder.counters().crcErrors, 2u);
}

TEST(FrameDecoding, TruncatedFrameWaitsThenGivesWayToTheNextOne)
{
    const Bytes a = payloadOf(500, 15), b = payloadOf(20, 16);
    const Bytes whole = frameOf(a);
    const Bytes truncated(whole.begin(), whole.begin() + 300);
    FrameDecoder decoder;
    Bytes payload;
    decoder.feed(truncated.data(), truncated.size());
    EXPECT_FALSE(decoder.takeFrame(payload));
    EXPECT_TRUE(decoder.framePending());
    // The line went quiet: the receiver gives the frame up, the next one is found.
    decoder.skipPending();
    const Bytes next = frameOf(b);
    decoder.feed(next.data(), next.size());
    Bytes got;
    std::vector<Bytes> frames;
    for (;;) {
        while (decoder.takeFrame(got))
            frames.push_back(got);
        if (!decoder.framePending())
            break;
        decoder.skipPending();
    }
    EXPECT_EQ(frames, std::vector<Bytes>{b});
    EXPECT_GE(decoder.counters().stalledFrames, 1u);
}

TEST(FrameDecoding, TruncatedFrameFollowedAtOnceByAGoodOneIsResolvedByTheCrc)
{
    // The truncated frame swallows the start of the next; the CRC check
    // fails and scanning resumes inside, finding the good frame.
    const Bytes a = payloadOf(30, 17), b = payloadOf(200, 18);
    const Bytes whole = frameOf(a);
    Bytes stream(whole.begin(), whole.begin() + 20);
    append(stream, frameOf(b));
    FrameDecoder decoder;
    EXPECT_EQ(decodeAll(decoder, stream), std::vector<Bytes>{b});
}

TEST(FrameDecoding, FrameFollowedByNoFrameStartIsDoubtful)
{
    // A streamed reply loses `lost` bytes; the decoder then takes the first
    // bytes of the next reply as its end. Vary the payload until that
    // frame's CRC-16 passes, as it does once in 65536 damaged frames: the
    // rest of the next reply after it gives it away.
    const Bytes b = payloadOf(100, 22), next = frameOf(b);
    for (size_t lost = 1; lost <= 3; ++lost) {
        Bytes stream;
        for (uint32_t seed = 1;; ++seed) {
            ASSERT_LT(seed, 1u << 22);
            stream = frameOf(payloadOf(100, seed));
            stream.erase(stream.begin() + 60, stream.begin() + 60 + std::ptrdiff_t(lost));
            append(stream, next);
            if (crc16(stream.data() + 1, 103) == (stream[104] | stream[105] << 8))
                break;
        }
        FrameDecoder decoder;
        decoder.feed(stream.data(), stream.size());
        Bytes payload;
        bool doubtful = false;
        ASSERT_TRUE(decoder.takeFrame(payload, &doubtful)) << lost << " lost";
        EXPECT_TRUE(doubtful) << lost << " lost";
    }
    // A good frame is judged the same way by what follows it: the next
    // frame's start, a quiet line (even when its own last bytes look like a
    // frame start), or noise.
    Bytes a = payloadOf(40, 25);
    const uint8_t fake[3] = {kStartMark, 5, 0};
    std::copy(fake, fake + 3, a.begin() + 32);
    a[35] = crc8(fake, 3);
    Bytes noisy = frameOf(a);
    noisy.push_back(0x11);
    append(noisy, next);
    Bytes brokenHeader = frameOf(a);
    append(brokenHeader, next);
    brokenHeader[frameOf(a).size() + 3] ^= 1;
    for (const auto &[stream, expected] :
         {std::pair{joined(frameOf(a), next), std::vector<bool>{false, false}},
          std::pair{noisy, std::vector<bool>{true, false}},
          std::pair{brokenHeader, std::vector<bool>{true}}}) {
        FrameDecoder decoder;
        decoder.feed(stream.data(), stream.size());
        std::vector<bool> doubts;
        Bytes payload;
        bool doubtful = false;
        for (;;) {
            while (decoder.takeFrame(payload, &doubtful))
                doubts.push_back(doubtful);
            if (!decoder.framePending())
                break;
            decoder.skipPending();
        }
        EXPECT_EQ(doubts, expected);
        EXPECT_EQ(decoder.counters().doubtful, expected.front() ? 1u : 0u);
    }
}

TEST(FrameDecoding, WholeFrameWaitsForWhatFollows)
{
    Bytes a = payloadOf(40, 23);
    const Bytes frame = frameOf(a), b = payloadOf(30, 24);
    FrameDecoder decoder;
    Bytes payload;
    bool doubtful = true;
    decoder.feed(frame.data(), frame.size());
    EXPECT_FALSE(decoder.takeFrame(payload));
    EXPECT_TRUE(decoder.frameWaitsForNext());
    // A quiet line: nothing of another frame is in it.
    decoder.skipPending();
    EXPECT_FALSE(decoder.framePending());
    ASSERT_TRUE(decoder.takeFrame(payload, &doubtful));
    EXPECT_EQ(payload, a);
    EXPECT_FALSE(doubtful);
    EXPECT_EQ(decoder.counters().stalledFrames, 0u);
    // Streamed: the next frame's first bytes tell at once.
    Bytes stream = frameOf(a);
    append(stream, frameOf(b));
    FrameDecoder streamed;
    streamed.feed(stream.data(), frame.size() + 3);
    EXPECT_FALSE(streamed.takeFrame(payload));
    streamed.feed(stream.data() + frame.size() + 3, 1);
    ASSERT_TRUE(streamed.takeFrame(payload, &doubtful));
    EXPECT_EQ(payload, a);
    EXPECT_FALSE(doubtful);
    // A receiver that answers at once judges by what is there.
    FrameDecoder atOnce(kMaxPayload, false);
    atOnce.feed(frame.data(), frame.size());
    EXPECT_TRUE(atOnce.takeFrame(payload));
}

TEST(FrameDecoding, ResetForgetsBufferedBytes)
{
    const Bytes frame = frameOf(payloadOf(60, 19));
    FrameDecoder decoder;
    decoder.feed(frame.data(), 30);
    decoder.reset();
    decoder.feed(frame.data() + 30, frame.size() - 30);
    Bytes payload;
    EXPECT_FALSE(decoder.takeFrame(payload));
    EXPECT_FALSE(decoder.framePending());
}

TEST(FrameDecoding, LongStreamsDoNotGrowTheBuffer)
{
    FrameDecoder decoder(1071, false);
    const Bytes frame = frameOf(payloadOf(1024, 20));
    Bytes payload;
    for (int i = 0; i < 5000; ++i) {
        decoder.feed(frame.data(), frame.size());
        ASSERT_TRUE(decoder.takeFrame(payload));
    }
    EXPECT_EQ(decoder.bufferedBytes(), 0u);
    EXPECT_EQ(decoder.counters().frames, 5000u);
}
