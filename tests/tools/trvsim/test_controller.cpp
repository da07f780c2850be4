// The simulated controller's answers, without a line.

#include "tests/support/blockframe.h"
#include "tools/trvsim/controller.h"
#include "tools/trvsim/lineserver.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vestan::trvsim;

namespace {

Bytes ask(Controller &c, const Bytes &request)
{
    const auto reply = c.handle(request.data(), request.size());
    return reply ? *reply : Bytes{};
}

uint32_t u32(const Bytes &b, size_t at)
{
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
           (uint32_t(b[at + 3]) << 24);
}

SimOptions smallJournal()
{
    SimOptions o;
    o.records = 50;
    o.flashSize = 3000;
    return o;
}

Bytes block(uint16_t code, uint16_t length, uint32_t offset)
{
    return vestan::test::blockFrameHead(33, code, length, offset);
}

} // namespace

TEST(Controller, SizeOfEveryObjectAtReplyBytes4To7)
{
    const SimOptions o = smallJournal();
    Controller c(o);
    const std::pair<uint16_t, uint32_t> sizes[] = {
        {0x0900, 3000},      {0x0AFF, 11}, {0x0B00, uint32_t(c.journal().header.size())},
        {0x0B01, 50u * 64u}, {0x0B03, 8},  {0x0C02, 8},
        {0x0C04, 12},
    };
    for (const auto &[code, size] : sizes) {
        const Bytes reply = ask(c, {33, 1, uint8_t(code), uint8_t(code >> 8)});
        ASSERT_EQ(reply.size(), 8u) << code;
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 4),
                  Bytes({33, 1, uint8_t(code), uint8_t(code >> 8)}));
        EXPECT_EQ(u32(reply, 4), size) << code;
    }
}

TEST(Controller, BlockReadsEchoTheOffsetAndCarryTheObjectBytes)
{
    Controller c(smallJournal());
    const Bytes &data = c.journal().data;
    const Bytes reply = ask(c, block(0x0B01, 100, 1000));
    ASSERT_EQ(reply.size(), 110u);
    EXPECT_EQ(reply[4] | (reply[5] << 8), 100);
    EXPECT_EQ(u32(reply, 6), 1000u);
    EXPECT_EQ(Bytes(reply.begin() + 10, reply.end()),
              Bytes(data.begin() + 1000, data.begin() + 1100));
}

TEST(Controller, BlockReadAtTheEndIsShortAndBeyondItEmpty)
{
    Controller c(smallJournal());
    const Bytes tail = ask(c, block(0x0900, 1024, 2500));
    EXPECT_EQ(tail[4] | (tail[5] << 8), 500);
    EXPECT_EQ(tail.size(), 510u);
    const Bytes beyond = ask(c, block(0x0900, 16, 3000));
    EXPECT_EQ(beyond[4] | (beyond[5] << 8), 0);
    EXPECT_EQ(beyond.size(), 10u);
    const Bytes far = ask(c, block(0x0900, 16, 0xFFFFFFF0u));
    EXPECT_EQ(far[4] | (far[5] << 8), 0);
}

TEST(Controller, QueryCountAtBytes4To5AndDataFromByte6)
{
    SimOptions o = smallJournal();
    o.power = {230.5f, 50.0f, 36.25f};
    Controller c(o);
    EXPECT_EQ(ask(c, {33, 2, 0x04, 0x0C, 12, 0}),
              Bytes({33, 2, 0x04, 0x0C, 12, 0, 0x00, 0x80, 0x66, 0x43, 0x00, 0x00, 0x48, 0x42, 0x00,
                     0x00, 0x11, 0x42}));
    // Asking for more than the object has gives what it has.
    const Bytes more = ask(c, {33, 2, 0x04, 0x0C, 40, 0});
    EXPECT_EQ(more[4], 12);
    EXPECT_EQ(more.size(), 18u);
}

TEST(Controller, HandlerVersionIsConfigurableOrSilent)
{
    SimOptions o = smallJournal();
    ASSERT_TRUE(parseHandlerVersion("2.1.0.5/2007-03-03", *o.handlerVersion));
    Controller c(o);
    EXPECT_EQ(ask(c, {33, 2, 0x03, 0x0B, 8, 0}),
              Bytes({33, 2, 0x03, 0x0B, 8, 0, 2, 1, 0, 5, 0xD7, 0x07, 3, 3}));
    o.handlerVersion.reset();
    Controller old(o);
    for (const Bytes &request :
         {Bytes{33, 2, 0x03, 0x0B, 8, 0}, Bytes{33, 1, 0x03, 0x0B}, block(0x0B03, 8, 0)})
        EXPECT_FALSE(old.handle(request.data(), request.size()).has_value());
    EXPECT_FALSE(old.objectBytes(0x0B03).has_value());
}

TEST(Controller, ClockWriteSetsItAndReadsRunOnWithTheWeekday)
{
    Controller c(smallJournal());
    const auto t0 = SimClock::Steady::now();
    // 31.12.2023 23:59:59, a Sunday.
    ASSERT_TRUE(c.clock().set({59, 59, 23, 31, 12, 2023, 3}, t0));
    EXPECT_EQ(c.clock().read(t0), vestan::CtlDateTime({59, 59, 23, 31, 12, 2023, 0}));
    // Two seconds on: 01.01.2024 00:00:01, a Monday.
    EXPECT_EQ(c.clock().read(t0 + std::chrono::seconds(2)),
              vestan::CtlDateTime({1, 0, 0, 1, 1, 2024, 1}));
}

TEST(Controller, ClockWriteThroughTheRequestAndImpossibleDatesRefused)
{
    Controller c(smallJournal());
    EXPECT_EQ(ask(c, {33, 4, 0x02, 0x0C, 8, 0, 0, 30, 12, 19, 12, 0xD1, 0x07, 0}),
              Bytes({33, 4, 0x02, 0x0C, 8, 0}));
    const Bytes read = ask(c, {33, 2, 0x02, 0x0C, 8, 0});
    ASSERT_EQ(read.size(), 14u);
    EXPECT_EQ(read[9], 19);  // day
    EXPECT_EQ(read[10], 12); // month
    EXPECT_EQ(read[11] | (read[12] << 8), 2001);
    EXPECT_EQ(read[13], 3); // 19.12.2001 was a Wednesday
    // 31 February and month 13: taken by nobody, the count says so.
    EXPECT_EQ(ask(c, {33, 4, 0x02, 0x0C, 8, 0, 0, 0, 0, 31, 2, 0xD8, 0x07, 0})[4], 0);
    EXPECT_EQ(ask(c, {33, 4, 0x02, 0x0C, 8, 0, 0, 0, 0, 1, 13, 0xD8, 0x07, 0})[4], 0);
    EXPECT_EQ(ask(c, {33, 2, 0x02, 0x0C, 8, 0})[9], 19);
}

TEST(Controller, WritesToReadOnlyObjectsTakeNothing)
{
    Controller c(smallJournal());
    const Bytes before = c.journal().header;
    EXPECT_EQ(ask(c, {33, 4, 0x00, 0x0B, 2, 0, 1, 2}), Bytes({33, 4, 0x00, 0x0B, 0, 0}));
    EXPECT_EQ(c.journal().header, before);
}

TEST(Controller, SearchFindsTheRecordAtOrBeforeTheKey)
{
    Controller c(smallJournal());
    const auto &spec = c.journalSpec();
    const auto search = [&](const vestan::JournalDateTime &key) {
        uint8_t raw[11];
        vestan::putRecordStamp(raw, {0, key});
        Bytes request = {33, 2, 0xFF, 0x0A, 11, 0};
        request.insert(request.end(), raw, raw + 11);
        const Bytes reply = ask(c, request);
        EXPECT_EQ(reply.size(), 17u);
        return vestan::getRecordStamp(reply.data() + 6);
    };
    const auto stamp = [&](uint32_t index) {
        return vestan::journalformat::recordStamp(spec, index);
    };
    // Exactly on record 10 (index 9), and one millisecond before record 11.
    EXPECT_EQ(search(stamp(9)).number, 10);
    auto justBefore = stamp(10);
    justBefore.milliseconds -= 1;
    const auto found = search(justBefore);
    EXPECT_EQ(found.number, 10);
    EXPECT_EQ(found.stamp, stamp(9));
    // Before the first record.
    auto early = stamp(0);
    early.milliseconds -= 1;
    EXPECT_EQ(search(early).number, 0);
    // Year 65535 finds the last record.
    EXPECT_EQ(search({65535, 1, 1, 0, 0, 0, 0}).number, 50);
    // The search result is also the object's contents.
    EXPECT_EQ(ask(c, block(0x0AFF, 2, 0))[10], 50);
}

TEST(Controller, BrokenRequestsAndUnknownCommandsGetNoAnswer)
{
    Controller c(smallJournal());
    for (const Bytes &request : {
             Bytes{33, 1, 0x00},                    // too short
             Bytes{33, 1, 0x00, 0x0B, 0},           // size with a tail
             Bytes{33, 3, 0x00, 0x0B, 4, 0, 0, 0},  // block without its offset
             Bytes{33, 2, 0xFF, 0x0A, 11, 0, 1, 2}, // argument shorter than its length
             Bytes{33, 4, 0x02, 0x0C, 8, 0, 1},     // data shorter than its length
             Bytes{33, 9, 0x00, 0x0B},              // no such command
         })
        EXPECT_FALSE(c.handle(request.data(), request.size()).has_value());
}

TEST(Controller, UnknownObjectsAreEmpty)
{
    Controller c(smallJournal());
    EXPECT_EQ(u32(ask(c, {33, 1, 0x34, 0x12}), 4), 0u);
    EXPECT_EQ(ask(c, block(0x1234, 16, 0))[4], 0);
}

TEST(Controller, FlashImageIsDeterministic)
{
    EXPECT_EQ(flashImage(4096), flashImage(4096));
    const Bytes image = flashImage(4096);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 100), flashImage(100));
    EXPECT_NE(std::count(image.begin(), image.end(), image[0]), 4096);
}

TEST(Faults, WrongCountStaysConsistentInItself)
{
    SimOptions o;
    o.wrongCount = true;
    const Bytes reply = {33, 3, 0x01, 0x0B, 3, 0, 0, 0, 0, 0, 7, 8, 9};
    EXPECT_EQ(LineServer::applyFaults(reply, o),
              Bytes({33, 3, 0x01, 0x0B, 2, 0, 0, 0, 0, 0, 7, 8}));
    const Bytes empty = {33, 2, 0x04, 0x0C, 0, 0};
    EXPECT_EQ(LineServer::applyFaults(empty, o), Bytes({33, 2, 0x04, 0x0C, 1, 0, 0}));
    const Bytes size = {33, 1, 0x00, 0x0B, 1, 2, 3, 4};
    EXPECT_EQ(LineServer::applyFaults(size, o), size);
}

TEST(Faults, ForeignNetAndOversize)
{
    SimOptions o;
    o.foreignNet = true;
    o.oversize = 5;
    EXPECT_EQ(LineServer::applyFaults({250, 1, 0, 0x0B, 1, 0, 0, 0}, o),
              Bytes({1, 1, 0, 0x0B, 1, 0, 0, 0, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A}));
}
