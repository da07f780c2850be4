#include "maker/tarvel/journalformat.h"

#include "maker/tarvel/journallayout.h"
#include "platform/codepage.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string_view>

namespace vestan::journalformat {
namespace {

using namespace layout;

constexpr std::array<uint32_t, 256> makeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();

// splitmix64: a tiny deterministic generator for the opaque bytes (variable
// values, extra header bytes); any change of it changes every generated file.
class Filler
{
public:
    explicit Filler(uint64_t seed) : state_(seed) {}

    // Each value gives eight bytes, the lowest first.
    void fill(uint8_t *out, std::size_t n)
    {
        uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i, v >>= 8) {
            if (i % 8 == 0)
                v = next();
            out[i] = uint8_t(v);
        }
    }

private:
    uint64_t next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    uint64_t state_;
};

constexpr uint64_t kExtraSeed = 0x545256484541444Full;  // "TRVHEADO"
constexpr uint64_t kRecordSeed = 0x5452565245434F52ull; // "TRVRECOR"

std::string encodedText(const std::string &utf8, std::size_t field, const char *what)
{
    std::string text = utf8ToCp1251(utf8);
    if (text.find('\0') != std::string::npos)
        throw std::invalid_argument(std::string(what) + " holds a NUL character");
    if (text.size() > field - 1)
        throw std::invalid_argument(std::string(what) + " is longer than " +
                                    std::to_string(field - 1) + " bytes in code page 1251");
    return text;
}

void checkRealStamp(const JournalDateTime &s)
{
    using namespace std::chrono;
    const year_month_day date{year{s.year}, month{s.month}, day{s.day}};
    if (s.year < 1 || s.year > 9999 || !date.ok() || s.hours > 23 || s.minutes > 59 ||
        s.seconds > 59 || s.milliseconds > 999)
        throw std::invalid_argument("the first record's stamp is not a real date and time");
}

void putText(uint8_t *field, const std::string &text)
{
    std::copy(text.begin(), text.end(), field);
}

} // namespace

uint32_t crc32(std::span<const uint8_t> bytes, uint32_t crc)
{
    crc = ~crc;
    for (uint8_t b : bytes)
        crc = kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void validateSpec(const JournalSpec &spec)
{
    encodedText(spec.controllerName, kControllerNameSize, "the controller name");
    encodedText(spec.versionText, kVersionTextSize, "the version text");
    if (spec.recordCount > kMaxRecordCount)
        throw std::invalid_argument("more than 65535 records");
    if (spec.recordSize < kRecordHeadSize)
        throw std::invalid_argument("the record size is smaller than the 11-byte record head");
    if (spec.maxVariables > spec.recordSize - kRecordHeadSize)
        throw std::invalid_argument("more variables than bytes after the record head");
    if (spec.extraHeaderBytes > kMaxHeaderSize - kMinHeaderSize)
        throw std::invalid_argument("the header would be larger than 65536 bytes");
    if (spec.recordCount > 0)
        checkRealStamp(spec.firstRecord);
}

uint32_t headerSize(const JournalSpec &spec)
{
    return kMinHeaderSize + spec.extraHeaderBytes;
}

uint64_t dataSize(const JournalSpec &spec)
{
    return uint64_t(spec.recordCount) * spec.recordSize;
}

std::vector<uint8_t> encodeHeader(const JournalSpec &spec)
{
    validateSpec(spec);
    const uint32_t size = headerSize(spec);
    std::vector<uint8_t> h(size, 0);
    uint8_t *p = h.data();

    std::copy(kSignature.begin(), kSignature.end(), p + kSignatureAt);
    putU16(p + kVersionAt, kFormatVersion);
    putU32(p + kHeaderSizeAt, size);
    putU32(p + kRecordCountAt, spec.recordCount);
    putU16(p + kRecordSizeAt, spec.recordSize);
    putU16(p + kMaxVariablesAt, spec.maxVariables);
    putU32(p + kDataSizeAt, uint32_t(dataSize(spec)));
    putJournalDateTime(p + kFirstPowerOnAt, spec.firstPowerOn);
    putJournalDateTime(p + kLastPowerOnAt, spec.lastPowerOn);
    putJournalDateTime(p + kSettingsSavedAt, spec.settingsSaved);
    putJournalDateTime(p + kParametersAt, spec.parametersRequested);

    putText(p + kVersionTextAt, encodedText(spec.versionText, kVersionTextSize, "version text"));
    putText(p + kControllerNameAt,
            encodedText(spec.controllerName, kControllerNameSize, "controller name"));
    Filler(kExtraSeed).fill(p + kExtraAt, spec.extraHeaderBytes);

    putU32(p + kBodyCrcAt, crc32(std::span<const uint8_t>(h).subspan(kHeadSize)));
    putU32(p + kHeadCrcAt, crc32(std::span<const uint8_t>(h).first(kHeadCrcAt)));
    return h;
}

JournalDateTime recordStamp(const JournalSpec &spec, uint32_t index)
{
    using namespace std::chrono;
    const JournalDateTime &f = spec.firstRecord;
    const sys_days firstDay{year_month_day{year{f.year}, month{f.month}, day{f.day}}};
    const milliseconds at = firstDay.time_since_epoch() + hours{f.hours} + minutes{f.minutes} +
                            seconds{f.seconds} + milliseconds{f.milliseconds} +
                            milliseconds{int64_t(index) * spec.recordIntervalMs};
    const sys_days day = floor<days>(sys_time<milliseconds>(at));
    const year_month_day date{day};
    const hh_mm_ss<milliseconds> time{at - day.time_since_epoch()};

    JournalDateTime s;
    s.year = uint16_t(int(date.year()));
    s.month = uint8_t(unsigned(date.month()));
    s.day = uint8_t(unsigned(date.day()));
    s.hours = uint8_t(time.hours().count());
    s.minutes = uint8_t(time.minutes().count());
    s.seconds = uint8_t(time.seconds().count());
    s.milliseconds = uint16_t(time.subseconds().count());
    return s;
}

RecordStamp findRecord(const JournalSpec &spec, const JournalDateTime &key)
{
    if (spec.recordCount == 0 || key < recordStamp(spec, 0))
        return {};
    // Stamps never decrease with the index: find the first record after key.
    uint32_t lo = 1;
    uint32_t hi = spec.recordCount;
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (key < recordStamp(spec, mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return {uint16_t(lo), recordStamp(spec, lo - 1)};
}

// One whole record (out.size() == spec.recordSize), index 0 .. recordCount - 1.
static void fillRecord(const JournalSpec &spec, uint32_t index, std::span<uint8_t> out)
{
    if (out.size() != spec.recordSize)
        throw std::invalid_argument("the record buffer does not match the record size");
    if (spec.recordSize < kRecordHeadSize)
        throw std::invalid_argument("the record size is smaller than the 11-byte record head");
    if (index >= spec.recordCount)
        throw std::out_of_range("record index beyond the journal");
    putRecordStamp(out.data(), {uint16_t(index + 1), recordStamp(spec, index)});
    Filler(kRecordSeed ^ (uint64_t(index) << 20))
        .fill(out.data() + kRecordStampSize, out.size() - kRecordStampSize);
}

Journal generateJournal(const JournalSpec &spec)
{
    Journal j;
    j.header = encodeHeader(spec);
    j.data.resize(std::size_t(dataSize(spec)));
    for (uint32_t i = 0; i < spec.recordCount; ++i)
        fillRecord(
            spec, i,
            std::span<uint8_t>(j.data).subspan(std::size_t(i) * spec.recordSize, spec.recordSize));
    return j;
}

} // namespace vestan::journalformat
