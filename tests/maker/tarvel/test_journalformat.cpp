// The journal encoder: byte layouts of the stamps, calendar arithmetic of the
// record stamps, the record search helper and the data area.

#include "maker/tarvel/journalformat.h"
#include "maker/tarvel/journallayout.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace vestan;
using namespace vestan::journalformat;

namespace {

JournalDateTime at(uint16_t y, uint8_t mo, uint8_t d, uint8_t h, uint8_t mi, uint8_t s,
                   uint16_t ms = 0)
{
    return {y, mo, d, h, mi, s, ms};
}

JournalSpec smallSpec()
{
    JournalSpec spec;
    spec.controllerName = "Котельная №3";
    spec.versionText = "ТРВ-2 v4.17";
    spec.recordCount = 100;
    spec.recordSize = 40;
    spec.maxVariables = 12;
    spec.firstRecord = at(2008, 5, 14, 9, 30, 0, 250);
    spec.recordIntervalMs = 1500;
    return spec;
}

} // namespace

TEST(JournalStamps, DateTimeBytesAreYearFirstLittleEndian)
{
    std::array<uint8_t, kJournalDateTimeSize> bytes{};
    putJournalDateTime(bytes.data(), at(2008, 12, 19, 10, 5, 7, 999));
    EXPECT_EQ(bytes, (std::array<uint8_t, 7>{0xD8, 0x07, 12, 19, 10, 5, 7}));
    const JournalDateTime back = getJournalDateTime(bytes.data());
    EXPECT_EQ(back, at(2008, 12, 19, 10, 5, 7, 0)); // no milliseconds in this layout
}

TEST(JournalStamps, RecordStampBytes)
{
    std::array<uint8_t, kRecordStampSize> bytes{};
    putRecordStamp(bytes.data(), {1534, at(2001, 12, 19, 10, 4, 59, 500)});
    EXPECT_EQ(bytes,
              (std::array<uint8_t, 11>{0xFE, 0x05, 0xD1, 0x07, 12, 19, 10, 4, 59, 0xF4, 0x01}));
    const RecordStamp back = getRecordStamp(bytes.data());
    EXPECT_EQ(back.number, 1534);
    EXPECT_EQ(back.stamp, at(2001, 12, 19, 10, 4, 59, 500));
}

TEST(JournalStamps, RecordStampsCrossDaysMonthsAndLeapDays)
{
    JournalSpec spec = smallSpec();
    spec.firstRecord = at(2024, 2, 28, 23, 59, 59, 500);
    spec.recordIntervalMs = 1000;
    EXPECT_EQ(recordStamp(spec, 1), at(2024, 2, 29, 0, 0, 0, 500));
    spec.recordIntervalMs = 86400000; // one day
    EXPECT_EQ(recordStamp(spec, 2), at(2024, 3, 1, 23, 59, 59, 500));
    spec.firstRecord = at(2023, 12, 31, 23, 59, 59, 999);
    spec.recordIntervalMs = 1;
    EXPECT_EQ(recordStamp(spec, 1), at(2024, 1, 1, 0, 0, 0, 0));
}

TEST(JournalStamps, RecordStampsIncreaseAndAreStoredInTheRecords)
{
    const JournalSpec spec = smallSpec();
    const Journal j = generateJournal(spec);
    ASSERT_EQ(j.data.size(), 100u * 40u);
    JournalDateTime previous;
    for (uint32_t i = 0; i < spec.recordCount; ++i) {
        const auto head =
            std::span<const uint8_t>(j.data).subspan(i * 40).first<kRecordStampSize>();
        const RecordStamp r = getRecordStamp(head.data());
        EXPECT_EQ(r.number, i + 1);
        EXPECT_EQ(r.stamp, recordStamp(spec, i));
        if (i > 0) {
            EXPECT_LT(previous, r.stamp) << "record " << i;
        }
        previous = r.stamp;
    }
    EXPECT_EQ(recordStamp(spec, 0), spec.firstRecord);
    EXPECT_EQ(recordStamp(spec, 2), at(2008, 5, 14, 9, 30, 3, 250));
}

TEST(JournalSearch, FindsTheRecordAtOrBeforeTheKey)
{
    const JournalSpec spec = smallSpec(); // 09:30:00.250 + n * 1.5 s
    EXPECT_EQ(findRecord(spec, at(2008, 5, 14, 9, 30, 0, 249)).number, 0);
    EXPECT_EQ(findRecord(spec, at(2008, 5, 14, 9, 30, 0, 250)).number, 1);
    const RecordStamp between = findRecord(spec, at(2008, 5, 14, 9, 30, 3, 0));
    EXPECT_EQ(between.number, 2); // 09:30:01.750; the next is 09:30:03.250
    EXPECT_EQ(between.stamp, at(2008, 5, 14, 9, 30, 1, 750));
    EXPECT_EQ(findRecord(spec, at(2008, 5, 14, 9, 30, 3, 250)).number, 3);
    const RecordStamp last = findRecord(spec, at(65535, 12, 19, 0, 0, 0));
    EXPECT_EQ(last.number, 100);
    EXPECT_EQ(last.stamp, recordStamp(spec, 99));

    JournalSpec empty = spec;
    empty.recordCount = 0;
    EXPECT_EQ(findRecord(empty, at(65535, 1, 1, 0, 0, 0)).number, 0);
}

TEST(JournalData, GenerationIsDeterministicAndRecordsDiffer)
{
    const Journal a = generateJournal(smallSpec());
    const Journal b = generateJournal(smallSpec());
    EXPECT_EQ(a.header, b.header);
    EXPECT_EQ(a.data, b.data);
    // The variable bytes of two records must not repeat, or a misplaced
    // portion in a transfer would go unnoticed.
    EXPECT_FALSE(std::equal(a.data.begin() + 11, a.data.begin() + 40, a.data.begin() + 51));
}

TEST(JournalHeaderBytes, SizesAndTextsAreWhereTheLayoutSays)
{
    using namespace vestan::journalformat::layout;
    JournalSpec spec = smallSpec();
    spec.extraHeaderBytes = 2500 - kMinHeaderSize;
    const std::vector<uint8_t> h = encodeHeader(spec);
    ASSERT_EQ(h.size(), 2500u);
    EXPECT_EQ(headerSize(spec), 2500u);
    EXPECT_EQ(getU32(&h[kHeaderSizeAt]), 2500u);
    EXPECT_EQ(getU32(&h[kRecordCountAt]), 100u);
    EXPECT_EQ(getU16(&h[kRecordSizeAt]), 40);
    EXPECT_EQ(getU16(&h[kMaxVariablesAt]), 12);
    EXPECT_EQ(getU32(&h[kDataSizeAt]), 4000u);
    // "Котельная №3" in code page 1251: № is 0xB9.
    const char expected[] = "\xCA\xEE\xF2\xE5\xEB\xFC\xED\xE0\xFF \xB9"
                            "3";
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(&h[kControllerNameAt])), expected);
    EXPECT_EQ(crc32(std::span<const uint8_t>(h).first(80)), getU32(&h[kHeadCrcAt]));
}

TEST(JournalHeaderBytes, Crc32IsTheStandardOne)
{
    const std::string check = "123456789";
    EXPECT_EQ(crc32(std::span(reinterpret_cast<const uint8_t *>(check.data()), check.size())),
              0xCBF43926u);
    // Continuing over pieces gives the same value as one pass.
    const auto all = std::span(reinterpret_cast<const uint8_t *>(check.data()), check.size());
    EXPECT_EQ(crc32(all.subspan(4), crc32(all.first(4))), 0xCBF43926u);
}

TEST(JournalSpecChecks, RefusesWhatCannotBeEncoded)
{
    const auto refused = [](auto change) {
        JournalSpec spec = smallSpec();
        change(spec);
        EXPECT_THROW(encodeHeader(spec), std::invalid_argument);
    };
    refused([](JournalSpec &s) { s.controllerName = std::string(76, 'N'); });
    refused([](JournalSpec &s) { s.versionText = std::string(64, 'V'); });
    refused([](JournalSpec &s) { s.versionText = std::string("a\0b", 3); });
    refused([](JournalSpec &s) { s.recordCount = 65536; });
    refused([](JournalSpec &s) { s.recordSize = 10; });
    refused([](JournalSpec &s) { s.maxVariables = 30; }); // 40 - 11 = 29 bytes for them
    refused([](JournalSpec &s) { s.extraHeaderBytes = 65536 - 224 + 1; });
    refused([](JournalSpec &s) { s.firstRecord = at(2009, 2, 29, 0, 0, 0); });
    refused([](JournalSpec &s) { s.firstRecord = at(2009, 1, 1, 24, 0, 0); });

    // Limits themselves are fine; 75 Cyrillic letters are 75 bytes in the code page.
    JournalSpec edge = smallSpec();
    edge.controllerName.clear();
    for (int i = 0; i < 75; ++i)
        edge.controllerName += "Ж";
    edge.versionText = std::string(63, 'V');
    edge.maxVariables = 29;
    edge.recordCount = 0;
    edge.firstRecord = JournalDateTime{}; // not used without records
    EXPECT_NO_THROW(encodeHeader(edge));
}
