#pragma once

// Encoding of TARVEL journals: the raw journal header and the data area as a
// controller serves them (objects 0x0B00 and 0x0B01) and as a journal file
// stores them (header bytes, then data bytes). The byte layout is described in
// docs/journal-format.md and fixed in journallayout.h.
//
// Everything here is deterministic: the same JournalSpec always gives the same
// bytes, so a test can compare a downloaded file with generateJournal().

#include "protocol/protocol.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vestan::journalformat {

// What a generated journal holds. Texts are UTF-8 here and stored in code page
// 1251; the milliseconds of the four header stamps are not stored.
struct JournalSpec
{
    std::string controllerName; // at most 75 bytes once in code page 1251
    std::string versionText;    // at most 63 bytes once in code page 1251
    JournalDateTime firstPowerOn;
    JournalDateTime lastPowerOn;
    JournalDateTime settingsSaved;
    JournalDateTime parametersRequested;
    uint32_t recordCount = 0;         // 0 .. 65535 (record numbers are 16-bit)
    uint16_t recordSize = 64;         // kRecordStampSize .. 65535
    uint16_t maxVariables = 16;       // 0 .. recordSize - kRecordStampSize
    uint32_t extraHeaderBytes = 0;    // opaque bytes after the fixed header part
    JournalDateTime firstRecord;      // a real calendar date, year 1 .. 9999
    uint32_t recordIntervalMs = 1000; // time between two records
};

struct Journal
{
    std::vector<uint8_t> header;
    std::vector<uint8_t> data;
};

// Throws std::invalid_argument with a readable reason when the spec cannot be
// encoded (texts too long, sizes out of range, first record not a real date).
void validateSpec(const JournalSpec &spec);

// Sizes of the two objects; validateSpec() first.
uint32_t headerSize(const JournalSpec &spec);
uint64_t dataSize(const JournalSpec &spec);

// The raw header bytes (headerSize(spec) of them).
std::vector<uint8_t> encodeHeader(const JournalSpec &spec);

// Header and data in one piece. A 64 MiB journal takes well under a second.
Journal generateJournal(const JournalSpec &spec);

// The stamp of record index (0-based), without generating it: firstRecord plus
// index * recordIntervalMs, calendar-correct. Its record number is index + 1.
JournalDateTime recordStamp(const JournalSpec &spec, uint32_t index);

// The last record whose stamp is at or before key (to the millisecond), or
// number 0 when the key lies before the first record or there are no records.
RecordStamp findRecord(const JournalSpec &spec, const JournalDateTime &key);

// CRC-32 (IEEE 802.3, reflected, as zlib computes it); pass the previous
// result as crc to continue over several pieces.
uint32_t crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);

} // namespace vestan::journalformat
