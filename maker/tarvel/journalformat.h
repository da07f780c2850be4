#pragma once

// Encoding of TARVEL journals: the raw journal header and the data area as a
// controller serves them (objects 0x0B00 and 0x0B01) and as a journal file
// stores them (header bytes, then data bytes). The byte layout is described in
// docs/journal-format.md and fixed in journallayout.h.
//
// Everything here is deterministic: the same JournalSpec always gives the same
// bytes, so a test can compare a downloaded file with generateJournal().

#include "protocol/protocol.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vestan::journalformat {

// A journal time stamp. JournalDateTime carries year .. seconds (7 bytes);
// RecordStamp adds the milliseconds. Members are in significance order, so
// the defaulted comparison is chronological order.
struct Stamp
{
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hours = 0;
    uint8_t minutes = 0;
    uint8_t seconds = 0;
    uint16_t milliseconds = 0;

    friend auto operator<=>(const Stamp &, const Stamp &) = default;
};

// The 11-byte record head: record number (1-based; 0 = "no record") and stamp.
struct RecordStamp
{
    uint16_t number = 0;
    Stamp stamp;

    friend bool operator==(const RecordStamp &, const RecordStamp &) = default;
};

using vestan::kJournalDateTimeSize;
using vestan::kRecordStampSize;

// What a generated journal holds. Texts are UTF-8 here and stored in code page
// 1251; the milliseconds of the four header stamps are not stored.
struct JournalSpec
{
    std::string controllerName; // at most 75 bytes once in code page 1251
    std::string versionText;    // at most 63 bytes once in code page 1251
    Stamp firstPowerOn;
    Stamp lastPowerOn;
    Stamp settingsSaved;
    Stamp parametersRequested;
    uint32_t recordCount = 0;         // 0 .. 65535 (record numbers are 16-bit)
    uint16_t recordSize = 64;         // kRecordStampSize .. 65535
    uint16_t maxVariables = 16;       // 0 .. recordSize - kRecordStampSize
    uint32_t extraHeaderBytes = 0;    // opaque bytes after the fixed header part
    Stamp firstRecord;                // a real calendar date, year 1 .. 9999
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

// Streaming form: fills out with the data area bytes that start at offset.
// The range must lie inside the data area (std::out_of_range otherwise).
void fillData(const JournalSpec &spec, uint64_t offset, std::span<uint8_t> out);

// One whole record (out.size() == spec.recordSize), index 0 .. recordCount - 1.
void fillRecord(const JournalSpec &spec, uint32_t index, std::span<uint8_t> out);

// Stamp of record index (0-based), without generating it: firstRecord plus
// index * recordIntervalMs, calendar-correct. Its record number is index + 1.
Stamp recordStamp(const JournalSpec &spec, uint32_t index);

// The last record whose stamp is at or before key (to the millisecond), or
// number 0 when the key lies before the first record or there are no records.
RecordStamp findRecord(const JournalSpec &spec, const Stamp &key);

// The 7-byte JournalDateTime: year (16-bit LE), month, day, hours, minutes,
// seconds. Decoding sets milliseconds to 0.
void encodeDateTime(const Stamp &stamp, std::span<uint8_t, kJournalDateTimeSize> out);
Stamp decodeDateTime(std::span<const uint8_t, kJournalDateTimeSize> in);

// The 11-byte RecordStamp: number (16-bit LE), JournalDateTime, milliseconds
// (16-bit LE).
void encodeRecordStamp(const RecordStamp &stamp, std::span<uint8_t, kRecordStampSize> out);
RecordStamp decodeRecordStamp(std::span<const uint8_t, kRecordStampSize> in);

// CRC-32 (IEEE 802.3, reflected, as zlib computes it); pass the previous
// result as crc to continue over several pieces.
uint32_t crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);

} // namespace vestan::journalformat
