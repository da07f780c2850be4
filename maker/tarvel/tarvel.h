#pragma once

// The journal-check library libtarvel.so: checks the start of a raw journal
// header and decodes a whole one into the JournalHeader record. The raw format
// is described in docs/journal-format.md.

#include <cstddef>
#include <cstdint>

namespace vestan {

// The check needs this many bytes of a header start; a shorter file is no journal.
inline constexpr int kJournalHeadCheckSize = 84;
// The JournalHeader record area that _tj_ChkHeadStart fills.
inline constexpr int kJournalHeaderRecordSize = 5448;

// Byte positions inside the JournalHeader record (little-endian, byte-packed).
namespace journalrecord {
inline constexpr std::size_t kValidFlag = 0;            // u32: 1 when filled from a valid header
inline constexpr std::size_t kFormatVersion = 4;        // u8: format version of the raw header
inline constexpr std::size_t kVersionText = 5;          // text, NUL-terminated
inline constexpr std::size_t kVersionTextSize = 64;     // with the NUL
inline constexpr std::size_t kFirstPowerOn = 69;        // JournalDateTime, 7 bytes
inline constexpr std::size_t kLastPowerOn = 76;         // JournalDateTime
inline constexpr std::size_t kSettingsSaved = 83;       // JournalDateTime
inline constexpr std::size_t kParametersRequested = 90; // JournalDateTime
inline constexpr std::size_t kControllerName = 97;      // text, NUL-terminated
inline constexpr std::size_t kControllerNameSize = 76;  // with the NUL
inline constexpr std::size_t kRecordCount = 173;        // u16 (65535 at most)
inline constexpr std::size_t kRecordSize = 175;         // u16
inline constexpr std::size_t kMaxVariables = 177;       // u16
inline constexpr std::size_t kHeaderSize = 179;         // u32: raw header size
inline constexpr std::size_t kDataSize = 183;           // u32: data area size
// The journal file's name (code page 1251, NUL-terminated). The library knows
// only bytes, never files: it leaves this zeroed for the caller to fill.
inline constexpr std::size_t kFileName = 256;
inline constexpr std::size_t kFileNameSize = 1160;
static_assert(kFileName + kFileNameSize <= std::size_t(kJournalHeaderRecordSize));
} // namespace journalrecord

} // namespace vestan

// The two entry points are the library's whole interface; everything else in
// it is hidden.
#if defined(_WIN32) && defined(TARVEL_BUILDING)
#define TARVEL_EXPORT __declspec(dllexport)
#elif defined(_WIN32)
#define TARVEL_EXPORT __declspec(dllimport)
#else
#define TARVEL_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// 0 when the header start is valid, a negative code otherwise (see
// _tj_Err2str). Reads at most size bytes of header. With journalHeaderOut
// (kJournalHeaderRecordSize bytes) the whole header must be given: the record
// is filled on success and zeroed entirely on any failure.
TARVEL_EXPORT int32_t _tj_ChkHeadStart(const void *header, int32_t size, void *journalHeaderOut);

// The text of a code of _tj_ChkHeadStart, code page 1251, static, never null.
TARVEL_EXPORT const char *_tj_Err2str(int32_t code);
}
