#include "maker/tarvel/headercheck.h"

#include "maker/tarvel/journallayout.h"

#include <algorithm>

namespace vestan::journalformat {
namespace {

using namespace layout;

struct Head
{
    uint32_t headerSize;
    uint32_t recordCount;
    uint16_t recordSize;
    uint16_t maxVariables;
    uint32_t dataSize;
};

// The head alone: signature, version, check value, then the sizes. The check
// value comes before the sizes so that a damaged byte reads as damage, and
// impossible sizes behind a good check value point at a faulty writer.
HeaderStatus checkHead(std::span<const uint8_t> bytes, Head &head) noexcept
{
    if (bytes.data() == nullptr)
        return HeaderStatus::NoData;
    if (bytes.size() < kHeadSize)
        return HeaderStatus::Truncated;
    const uint8_t *p = bytes.data();
    if (!std::equal(kSignature.begin(), kSignature.end(), p + kSignatureAt))
        return HeaderStatus::BadSignature;
    if (getU16(p + kVersionAt) != kFormatVersion)
        return HeaderStatus::UnknownVersion;
    if (getU32(p + kHeadCrcAt) != crc32(bytes.first(kHeadCrcAt)))
        return HeaderStatus::BadHeadCheck;

    head.headerSize = getU32(p + kHeaderSizeAt);
    head.recordCount = getU32(p + kRecordCountAt);
    head.recordSize = getU16(p + kRecordSizeAt);
    head.maxVariables = getU16(p + kMaxVariablesAt);
    head.dataSize = getU32(p + kDataSizeAt);
    if (head.headerSize < kMinHeaderSize || head.headerSize > kMaxHeaderSize)
        return HeaderStatus::BadHeaderSize;
    if (head.recordSize < kRecordHeadSize)
        return HeaderStatus::BadRecordSize;
    if (head.recordCount > kMaxRecordCount)
        return HeaderStatus::BadRecordCount;
    if (head.maxVariables > head.recordSize - kRecordHeadSize)
        return HeaderStatus::BadVariables;
    if (uint64_t(head.recordCount) * head.recordSize != head.dataSize)
        return HeaderStatus::BadDataSize;
    return HeaderStatus::Ok;
}

bool bodyMatches(std::span<const uint8_t> bytes, const Head &head) noexcept
{
    const auto body = bytes.subspan(kHeadSize, head.headerSize - kHeadSize);
    return getU32(bytes.data() + kBodyCrcAt) == crc32(body);
}

// A text field may lack its NUL if a writer filled it to the brim; the copy
// is always terminated and never longer than the field.
template <std::size_t N>
void copyText(const uint8_t *field, std::size_t fieldSize, std::array<char, N> &out) noexcept
{
    out.fill('\0');
    const std::size_t limit = std::min(fieldSize, N - 1);
    for (std::size_t i = 0; i < limit && field[i] != 0; ++i)
        out[i] = char(field[i]);
}

} // namespace

HeaderStatus checkHeaderStart(std::span<const uint8_t> bytes) noexcept
{
    Head head{};
    const HeaderStatus status = checkHead(bytes, head);
    if (status != HeaderStatus::Ok)
        return status;
    if (bytes.size() >= head.headerSize && !bodyMatches(bytes, head))
        return HeaderStatus::BadBodyCheck;
    return HeaderStatus::Ok;
}

HeaderStatus decodeHeader(std::span<const uint8_t> bytes, HeaderFields &out) noexcept
{
    Head head{};
    const HeaderStatus status = checkHead(bytes, head);
    if (status != HeaderStatus::Ok)
        return status;
    if (bytes.size() < head.headerSize)
        return HeaderStatus::HeaderIncomplete;
    if (!bodyMatches(bytes, head))
        return HeaderStatus::BadBodyCheck;

    const uint8_t *p = bytes.data();
    out.formatVersion = getU16(p + kVersionAt);
    out.headerSize = head.headerSize;
    out.recordCount = head.recordCount;
    out.recordSize = head.recordSize;
    out.maxVariables = head.maxVariables;
    out.dataSize = head.dataSize;
    out.firstPowerOn = getJournalDateTime(p + kFirstPowerOnAt);
    out.lastPowerOn = getJournalDateTime(p + kLastPowerOnAt);
    out.settingsSaved = getJournalDateTime(p + kSettingsSavedAt);
    out.parametersRequested = getJournalDateTime(p + kParametersAt);
    copyText(p + kVersionTextAt, kVersionTextSize, out.versionText);
    copyText(p + kControllerNameAt, kControllerNameSize, out.controllerName);
    return HeaderStatus::Ok;
}

} // namespace vestan::journalformat
