#pragma once

// Byte layout of the raw journal header, format version 1. The one place that
// fixes it: the encoder (journalformat.cpp) and the check (headercheck.cpp)
// both read these numbers. docs/journal-format.md describes the same table.

#include "protocol/protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vestan::journalformat::layout {

// The check looks at this many bytes from the start; everything it needs to
// accept or refuse a header start lies inside them.
inline constexpr std::size_t kHeadSize = 84;

inline constexpr std::array<uint8_t, 8> kSignature = {'T', 'R', 'V', 'J', 'R', 'N', 'L', 0x1A};
inline constexpr uint16_t kFormatVersion = 1;

// Fields of the head (bytes 0 .. 83).
inline constexpr std::size_t kSignatureAt = 0;      // 8 bytes
inline constexpr std::size_t kVersionAt = 8;        // u16
inline constexpr std::size_t kReservedAt = 10;      // u16, written 0, not read
inline constexpr std::size_t kHeaderSizeAt = 12;    // u32, whole header
inline constexpr std::size_t kRecordCountAt = 16;   // u32
inline constexpr std::size_t kRecordSizeAt = 20;    // u16
inline constexpr std::size_t kMaxVariablesAt = 22;  // u16
inline constexpr std::size_t kDataSizeAt = 24;      // u32, recordCount * recordSize
inline constexpr std::size_t kFirstPowerOnAt = 28;  // JournalDateTime
inline constexpr std::size_t kLastPowerOnAt = 35;   // JournalDateTime
inline constexpr std::size_t kSettingsSavedAt = 42; // JournalDateTime
inline constexpr std::size_t kParametersAt = 49;    // JournalDateTime
inline constexpr std::size_t kBodyCrcAt = 56;       // u32, CRC-32 of bytes 84 .. headerSize - 1
inline constexpr std::size_t kHeadReservedAt = 60;  // 20 bytes, written 0, not read
inline constexpr std::size_t kHeadCrcAt = 80;       // u32, CRC-32 of bytes 0 .. 79

// The body (bytes 84 .. headerSize - 1).
inline constexpr std::size_t kVersionTextAt = 84;   // code page 1251, NUL-padded
inline constexpr std::size_t kVersionTextSize = 64; // with at least one NUL
inline constexpr std::size_t kControllerNameAt = 148;
inline constexpr std::size_t kControllerNameSize = 76;
inline constexpr std::size_t kExtraAt = 224; // opaque bytes up to headerSize

inline constexpr uint32_t kMinHeaderSize = 224;
inline constexpr uint32_t kMaxHeaderSize = 65536;
inline constexpr uint32_t kMaxRecordCount = 65535; // record numbers are 16-bit
inline constexpr std::size_t kRecordHeadSize = 11; // RecordStamp at the start of a record

static_assert(kHeadCrcAt + 4 == kHeadSize);
static_assert(kParametersAt + 7 <= kBodyCrcAt);
static_assert(kControllerNameAt == kVersionTextAt + kVersionTextSize);
static_assert(kExtraAt == kControllerNameAt + kControllerNameSize);
static_assert(kMinHeaderSize == kExtraAt);

// The little-endian fields are the protocol's.
using vestan::getU16;
using vestan::getU32;
using vestan::putU16;
using vestan::putU32;

} // namespace vestan::journalformat::layout
