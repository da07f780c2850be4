// The journal-check library through its C entry points, as the program calls it.

#include "maker/tarvel/headercheck.h"
#include "maker/tarvel/journalformat.h"
#include "maker/tarvel/journallayout.h"
#include "maker/tarvel/tarvel.h"
#include "tests/support/testsystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

using namespace vestan::journalformat;
namespace rec = vestan::journalrecord;
namespace lay = vestan::journalformat::layout;

namespace {

JournalSpec sampleSpec()
{
    JournalSpec spec;
    spec.controllerName = "ТРВ Насосная-7";
    spec.versionText = "TRV-M 3.2.1 (сборка 118)";
    spec.firstPowerOn = {2007, 3, 3, 8, 15, 0, 0};
    spec.lastPowerOn = {2008, 5, 14, 9, 30, 0, 0};
    spec.settingsSaved = {2008, 12, 1, 23, 59, 58, 0};
    spec.parametersRequested = {2008, 12, 19, 10, 5, 7, 0};
    spec.recordCount = 17;
    spec.recordSize = 128;
    spec.maxVariables = 24;
    spec.firstRecord = {2008, 5, 14, 9, 30, 0, 0};
    return spec;
}

// Puts bytes right before an inaccessible page, so that reading one byte past
// them crashes the test instead of passing unnoticed.
class GuardedBytes
{
public:
    explicit GuardedBytes(const std::vector<uint8_t> &bytes)
    {
        page_ = vestan::test::pageSize();
        span_ = ((bytes.size() + page_ - 1) / page_ + 1) * page_;
        base_ = vestan::test::allocatePages(span_);
        EXPECT_NE(base_, nullptr);
        vestan::test::protectPage(base_ + span_ - page_);
        data_ = base_ + span_ - page_ - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
    }
    ~GuardedBytes() { vestan::test::freePages(base_, span_); }
    GuardedBytes(const GuardedBytes &) = delete;
    GuardedBytes &operator=(const GuardedBytes &) = delete;

    const uint8_t *data() const { return data_; }

private:
    std::size_t page_ = 0;
    std::size_t span_ = 0;
    uint8_t *base_ = nullptr;
    uint8_t *data_ = nullptr;
};

// Rewrites the head's check value, so a test can present sizes that are
// impossible but not corrupted.
void resealHead(std::vector<uint8_t> &h)
{
    lay::putU32(&h[lay::kHeadCrcAt], crc32(std::span<const uint8_t>(h).first(lay::kHeadCrcAt)));
}

int32_t check(const std::vector<uint8_t> &h, std::size_t size)
{
    return _tj_ChkHeadStart(h.data(), int32_t(size), nullptr);
}

using Record = std::array<uint8_t, vestan::kJournalHeaderRecordSize>;

std::string textAt(const Record &r, std::size_t at)
{
    return std::string(reinterpret_cast<const char *>(&r[at]));
}

} // namespace

TEST(TarvelCheck, GeneratedHeaderPassesAtEveryUsefulLength)
{
    const std::vector<uint8_t> h = encodeHeader(sampleSpec());
    EXPECT_EQ(check(h, vestan::kJournalHeadCheckSize), 0);
    EXPECT_EQ(check(h, h.size() - 1), 0);
    EXPECT_EQ(check(h, h.size()), 0);
    // A journal file handed over whole: the data after the header is not the header's business.
    std::vector<uint8_t> file = h;
    file.resize(h.size() + 500, 0x5A);
    EXPECT_EQ(check(file, file.size()), 0);
}

TEST(TarvelCheck, ShortStartsAreRefusedWithoutReadingFurther)
{
    const std::vector<uint8_t> h = encodeHeader(sampleSpec());
    const GuardedBytes short83({h.begin(), h.begin() + 83});
    EXPECT_EQ(_tj_ChkHeadStart(short83.data(), 83, nullptr), int32_t(HeaderStatus::Truncated));
    Record r;
    r.fill(0xAA);
    EXPECT_EQ(_tj_ChkHeadStart(short83.data(), 83, r.data()), int32_t(HeaderStatus::Truncated));
    EXPECT_EQ(r, Record{});

    const GuardedBytes exact84({h.begin(), h.begin() + 84});
    EXPECT_EQ(_tj_ChkHeadStart(exact84.data(), 84, nullptr), 0);
    const GuardedBytes whole(h);
    EXPECT_EQ(_tj_ChkHeadStart(whole.data(), int32_t(h.size()), r.data()), 0);

    EXPECT_EQ(_tj_ChkHeadStart(h.data(), 0, nullptr), int32_t(HeaderStatus::Truncated));
    EXPECT_EQ(_tj_ChkHeadStart(h.data(), -84, nullptr), int32_t(HeaderStatus::Truncated));
    EXPECT_EQ(_tj_ChkHeadStart(nullptr, 84, nullptr), int32_t(HeaderStatus::NoData));
}

TEST(TarvelCheck, EachFaultHasItsOwnCodeAndText)
{
    const std::vector<uint8_t> good = encodeHeader(sampleSpec());
    const auto codeAfter = [&](auto change, bool reseal) {
        std::vector<uint8_t> h = good;
        change(h);
        if (reseal)
            resealHead(h);
        return check(h, h.size());
    };
    std::set<int32_t> codes;
    const auto expectCode = [&](int32_t code, HeaderStatus expected) {
        EXPECT_EQ(code, int32_t(expected));
        codes.insert(code);
    };
    expectCode(codeAfter([](auto &h) { h[3] = 'X'; }, false), HeaderStatus::BadSignature);
    expectCode(codeAfter([](auto &h) { lay::putU16(&h[lay::kVersionAt], 2); }, true),
               HeaderStatus::UnknownVersion);
    expectCode(codeAfter([](auto &h) { h[30] ^= 0x01; }, false), HeaderStatus::BadHeadCheck);
    expectCode(codeAfter([](auto &h) { lay::putU32(&h[lay::kHeaderSizeAt], 83); }, true),
               HeaderStatus::BadHeaderSize);
    expectCode(codeAfter([](auto &h) { lay::putU32(&h[lay::kHeaderSizeAt], 0x7FFFFFFF); }, true),
               HeaderStatus::BadHeaderSize);
    expectCode(codeAfter([](auto &h) { lay::putU16(&h[lay::kRecordSizeAt], 0); }, true),
               HeaderStatus::BadRecordSize);
    expectCode(codeAfter([](auto &h) { lay::putU16(&h[lay::kRecordSizeAt], 10); }, true),
               HeaderStatus::BadRecordSize);
    expectCode(codeAfter([](auto &h) { lay::putU32(&h[lay::kRecordCountAt], 70000); }, true),
               HeaderStatus::BadRecordCount);
    expectCode(codeAfter([](auto &h) { lay::putU16(&h[lay::kMaxVariablesAt], 118); }, true),
               HeaderStatus::BadVariables);
    expectCode(codeAfter([](auto &h) { lay::putU32(&h[lay::kDataSizeAt], 17 * 128 + 1); }, true),
               HeaderStatus::BadDataSize);
    expectCode(codeAfter([](auto &h) { h[lay::kControllerNameAt] ^= 0x20; }, false),
               HeaderStatus::BadBodyCheck);
    Record r;
    expectCode(_tj_ChkHeadStart(good.data(), int32_t(good.size() - 1), r.data()),
               HeaderStatus::HeaderIncomplete);
    expectCode(_tj_ChkHeadStart(good.data(), 50, nullptr), HeaderStatus::Truncated);
    expectCode(_tj_ChkHeadStart(nullptr, 0, nullptr), HeaderStatus::NoData);
    EXPECT_EQ(codes.size(), 12u);

    std::set<std::string> texts;
    for (int32_t code : codes) {
        EXPECT_LT(code, 0);
        const char *text = _tj_Err2str(code);
        ASSERT_NE(text, nullptr);
        EXPECT_GT(std::strlen(text), 10u) << code;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), codes.size()) << "two faults share a text";
    EXPECT_STRNE(_tj_Err2str(-999), "");
    EXPECT_EQ(texts.count(_tj_Err2str(-999)), 0u);
    // The texts are code page 1251: "Это не журнал" starts with 0xDD 0xF2 0xEE.
    EXPECT_EQ(std::string(_tj_Err2str(int32_t(HeaderStatus::BadSignature))).substr(0, 3),
              "\xDD\xF2\xEE");
}

TEST(TarvelCheck, EveryFlippedByteOfTheStartIsRefused)
{
    const std::vector<uint8_t> good = encodeHeader(sampleSpec());
    for (std::size_t i = 0; i < lay::kHeadSize; ++i) {
        for (uint8_t mask : {uint8_t(0x01), uint8_t(0x80)}) {
            std::vector<uint8_t> h = good;
            h[i] ^= mask;
            EXPECT_NE(check(h, 84), 0) << "byte " << i << " mask " << int(mask);
        }
    }
    // Bytes the check never interprets are still covered by the check value.
    std::vector<uint8_t> h = good;
    h[lay::kReservedAt] ^= 0x40;
    EXPECT_EQ(check(h, 84), int32_t(HeaderStatus::BadHeadCheck));
}

TEST(TarvelDecode, FillsExactlyTheDocumentedPositions)
{
    const JournalSpec spec = sampleSpec();
    const std::vector<uint8_t> h = encodeHeader(spec);
    Record r;
    r.fill(0xAA);
    ASSERT_EQ(_tj_ChkHeadStart(h.data(), int32_t(h.size()), r.data()), 0);

    Record expected{};
    lay::putU32(&expected[rec::kValidFlag], 1);
    expected[rec::kFormatVersion] = 1;
    const std::string version = "TRV-M 3.2.1 (\xF1\xE1\xEE\xF0\xEA\xE0 118)";
    std::memcpy(&expected[rec::kVersionText], version.data(), version.size());
    const std::array<uint8_t, 28> stamps = {0xD7, 0x07, 3,  3,  8,  15, 0,  // first power-on
                                            0xD8, 0x07, 5,  14, 9,  30, 0,  // last power-on
                                            0xD8, 0x07, 12, 1,  23, 59, 58, // settings saved
                                            0xD8, 0x07, 12, 19, 10, 5,  7}; // parameters requested
    std::memcpy(&expected[rec::kFirstPowerOn], stamps.data(), stamps.size());
    const std::string name = "\xD2\xD0\xC2 \xCD\xE0\xF1\xEE\xF1\xED\xE0\xFF-7";
    std::memcpy(&expected[rec::kControllerName], name.data(), name.size());
    lay::putU16(&expected[rec::kRecordCount], 17);
    lay::putU16(&expected[rec::kRecordSize], 128);
    lay::putU16(&expected[rec::kMaxVariables], 24);
    lay::putU32(&expected[rec::kHeaderSize], uint32_t(h.size()));
    lay::putU32(&expected[rec::kDataSize], 17 * 128);
    for (std::size_t i = 0; i < r.size(); ++i)
        ASSERT_EQ(r[i], expected[i]) << "record byte " << i;

    EXPECT_EQ(rec::kVersionText, 5u);
    EXPECT_EQ(rec::kFirstPowerOn, 69u);
    EXPECT_EQ(rec::kParametersRequested, 90u);
    EXPECT_EQ(rec::kControllerName, 97u);
    EXPECT_EQ(rec::kMaxVariables, 177u);
}

TEST(TarvelDecode, FailureLeavesTheRecordZeroed)
{
    std::vector<uint8_t> h = encodeHeader(sampleSpec());
    Record r;
    r.fill(0xAA);
    EXPECT_EQ(_tj_ChkHeadStart(h.data(), 84, r.data()), int32_t(HeaderStatus::HeaderIncomplete));
    EXPECT_EQ(r, Record{});

    h[lay::kVersionTextAt + 2] ^= 0x04;
    r.fill(0xAA);
    EXPECT_EQ(_tj_ChkHeadStart(h.data(), int32_t(h.size()), r.data()),
              int32_t(HeaderStatus::BadBodyCheck));
    EXPECT_EQ(r, Record{});
    // The start alone is still fine: a file check sees only 84 bytes.
    EXPECT_EQ(check(h, 84), 0);

    r.fill(0xAA);
    EXPECT_EQ(_tj_ChkHeadStart(nullptr, 0, r.data()), int32_t(HeaderStatus::NoData));
    EXPECT_EQ(r, Record{});
}

TEST(TarvelDecode, AllZeroStampsAndEmptyTextsPassUnchanged)
{
    JournalSpec spec;
    spec.recordCount = 0;
    spec.recordSize = 11;
    spec.maxVariables = 0;
    const std::vector<uint8_t> h = encodeHeader(spec);
    Record r;
    r.fill(0xAA);
    ASSERT_EQ(_tj_ChkHeadStart(h.data(), int32_t(h.size()), r.data()), 0);
    for (std::size_t i = rec::kVersionText; i < rec::kMaxVariables + 2; ++i) {
        if (i == rec::kRecordSize)
            EXPECT_EQ(r[i], 11);
        else
            EXPECT_EQ(r[i], 0) << "record byte " << i;
    }
    EXPECT_EQ(lay::getU32(&r[rec::kValidFlag]), 1u);
}

TEST(TarvelDecode, LongHeaderWithExtraBytes)
{
    JournalSpec spec = sampleSpec();
    spec.extraHeaderBytes = 2500 - lay::kMinHeaderSize;
    std::vector<uint8_t> h = encodeHeader(spec);
    ASSERT_EQ(h.size(), 2500u);
    const GuardedBytes guarded(h);
    Record r;
    ASSERT_EQ(_tj_ChkHeadStart(guarded.data(), 2500, r.data()), 0);
    EXPECT_EQ(lay::getU32(&r[rec::kHeaderSize]), 2500u);
    EXPECT_EQ(_tj_ChkHeadStart(guarded.data(), 2499, r.data()),
              int32_t(HeaderStatus::HeaderIncomplete));

    h[2499] ^= 0xFF; // the last extra byte is covered too
    EXPECT_EQ(check(h, 2500), int32_t(HeaderStatus::BadBodyCheck));
}

TEST(TarvelDecode, TextFieldsFilledToTheBrimAreCutAndTerminated)
{
    std::vector<uint8_t> h = encodeHeader(sampleSpec());
    std::memset(&h[lay::kVersionTextAt], 'V', lay::kVersionTextSize);
    std::memset(&h[lay::kControllerNameAt], 'N', lay::kControllerNameSize);
    lay::putU32(&h[lay::kBodyCrcAt], crc32(std::span<const uint8_t>(h).subspan(lay::kHeadSize)));
    resealHead(h);
    Record r;
    ASSERT_EQ(_tj_ChkHeadStart(h.data(), int32_t(h.size()), r.data()), 0);
    EXPECT_EQ(textAt(r, rec::kVersionText), std::string(63, 'V'));
    EXPECT_EQ(textAt(r, rec::kControllerName), std::string(75, 'N'));
    EXPECT_EQ(r[rec::kFirstPowerOn], 0xD7); // the text did not run into the stamps
}
