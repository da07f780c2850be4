#pragma once

// The check of a raw journal header: the part of the journal-check library
// that knows the layout. It never reads past the bytes it is given and never
// allocates, so it can run on anything a file or a controller hands over.

#include "maker/tarvel/journalformat.h"

#include <array>
#include <cstdint>
#include <span>

namespace vestan::journalformat {

// Results of the check; the values are the codes of _tj_ChkHeadStart.
enum class HeaderStatus : int32_t
{
    Ok = 0,
    NoData = -1,            // no bytes at all (null pointer)
    Truncated = -2,         // fewer than the 84 bytes of the head
    BadSignature = -3,      // not a journal
    UnknownVersion = -4,    // a journal of a format version we do not know
    BadHeadCheck = -5,      // the head's CRC-32 does not match: corrupted
    BadHeaderSize = -6,     // header size outside 224 .. 65536
    BadRecordSize = -7,     // record smaller than its 11-byte head (or 0)
    BadRecordCount = -8,    // more than 65535 records
    BadVariables = -9,      // more variables than bytes after the record head
    BadDataSize = -10,      // data size is not record count * record size
    HeaderIncomplete = -11, // decoding asked for, but fewer bytes than the header size
    BadBodyCheck = -12,     // the CRC-32 of bytes 84 .. header size - 1 does not match
};

// The decoded header. Texts are code page 1251, NUL-terminated.
struct HeaderFields
{
    uint16_t formatVersion = 0;
    uint32_t headerSize = 0;
    uint32_t recordCount = 0;
    uint16_t recordSize = 0;
    uint16_t maxVariables = 0;
    uint32_t dataSize = 0;
    JournalDateTime firstPowerOn;
    JournalDateTime lastPowerOn;
    JournalDateTime settingsSaved;
    JournalDateTime parametersRequested;
    std::array<char, 64> versionText{};
    std::array<char, 76> controllerName{};
};

// Checks the head (the first 84 bytes); when bytes hold the whole header, its
// body's check value too. Bytes after the header (journal data) are ignored.
HeaderStatus checkHeaderStart(std::span<const uint8_t> bytes) noexcept;

// Checks and decodes a complete header. out is written only on Ok.
HeaderStatus decodeHeader(std::span<const uint8_t> bytes, HeaderFields &out) noexcept;

} // namespace vestan::journalformat
