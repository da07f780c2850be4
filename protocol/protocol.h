#pragma once

#include <cstddef>
#include <cstdint>
#include <tuple>

// The controller's request protocol as the program, the link library and the
// simulator all speak it: object codes, packet layout, the link buffer, the
// little-endian fields and the journal's time stamps. No Qt, so that every
// side of the line can use it.
namespace vestan {

// Object codes of the controller's objects.
enum ObjectCode : uint16_t
{
    ObjFlash = 0x0900,
    ObjRecordSearch = 0x0AFF,
    ObjJournalHeader = 0x0B00,
    ObjJournalData = 0x0B01,
    ObjHandlerVersion = 0x0B03,
    ObjDateTime = 0x0C02,
    ObjPower = 0x0C04,
};

// Sizes of the fixed records: the clock (seconds first, year little-endian,
// day of week), the request handler's version, the three power readings as
// little-endian floats.
inline constexpr std::size_t kCtlDateTimeSize = 8;
inline constexpr std::size_t kHandlerVersionSize = 8;
inline constexpr std::size_t kPowerReadingsSize = 12;

// The commands of a request packet's second byte.
enum RequestCommand : uint8_t
{
    CmdSize = 1,
    CmdQuery = 2,
    CmdBlock = 3,
    CmdWrite = 4,
};

// The largest packet either way, request or reply.
inline constexpr uint16_t kLinkBufferSize = 1071;

// Packet layout: net number, command, object code, then per command.
namespace packet {
inline constexpr std::size_t kNetAt = 0;
inline constexpr std::size_t kCommandAt = 1;
inline constexpr std::size_t kObjectAt = 2;
inline constexpr std::size_t kSizeRequestLength = 4; // a size request ends after the object
inline constexpr std::size_t kSizeAt = 4;            // u32 in a size reply
inline constexpr std::size_t kCountAt = 4;           // u16 data count of the other commands
inline constexpr std::size_t kQueryDataAt = 6;       // query argument and reply data, written data
inline constexpr std::size_t kBlockOffsetAt = 6;     // u32 offset of a block request
inline constexpr std::size_t kBlockDataAt = 10;      // block request length and reply data
} // namespace packet

inline uint16_t getU16(const uint8_t *p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

inline uint32_t getU32(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline void putU16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void putU32(uint8_t *p, uint32_t v)
{
    putU16(p, uint16_t(v));
    putU16(p + 2, uint16_t(v >> 16));
}

// The controller's clock, object ObjDateTime: seconds first, year
// little-endian, then the day of week (0 = Sunday .. 6 = Saturday). Values
// travel unchecked in both directions.
struct CtlDateTime
{
    uint8_t seconds = 0;
    uint8_t minutes = 0;
    uint8_t hours = 0;
    uint8_t day = 0;
    uint8_t month = 0;
    uint16_t year = 0;
    uint8_t dayOfWeek = 0;

    friend bool operator==(const CtlDateTime &, const CtlDateTime &) = default;
};

inline void putCtlDateTime(uint8_t *p, const CtlDateTime &t)
{
    p[0] = t.seconds;
    p[1] = t.minutes;
    p[2] = t.hours;
    p[3] = t.day;
    p[4] = t.month;
    putU16(p + 5, t.year);
    p[7] = t.dayOfWeek;
}

inline CtlDateTime getCtlDateTime(const uint8_t *p)
{
    return {p[0], p[1], p[2], p[3], p[4], getU16(p + 5), p[7]};
}

// The journal's date and time: 7 bytes, year first (little-endian), no day of
// week. The milliseconds travel only in a RecordStamp. Earlier compares less.
inline constexpr std::size_t kJournalDateTimeSize = 7;

struct JournalDateTime
{
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hours = 0;
    uint8_t minutes = 0;
    uint8_t seconds = 0;
    uint16_t milliseconds = 0;

    friend bool operator==(const JournalDateTime &, const JournalDateTime &) = default;
    friend bool operator<(const JournalDateTime &a, const JournalDateTime &b)
    {
        return std::tie(a.year, a.month, a.day, a.hours, a.minutes, a.seconds, a.milliseconds) <
               std::tie(b.year, b.month, b.day, b.hours, b.minutes, b.seconds, b.milliseconds);
    }
};

inline void putJournalDateTime(uint8_t *p, const JournalDateTime &t)
{
    putU16(p, t.year);
    p[2] = t.month;
    p[3] = t.day;
    p[4] = t.hours;
    p[5] = t.minutes;
    p[6] = t.seconds;
}

// Milliseconds 0: the 7 bytes have none.
inline JournalDateTime getJournalDateTime(const uint8_t *p)
{
    return {getU16(p), p[2], p[3], p[4], p[5], p[6]};
}

// A record's head, also the record search's key and answer: record number
// (1-based; 0 in the key, and in a reply when none was found), date and time,
// milliseconds. 11 bytes.
inline constexpr std::size_t kRecordStampSize = 11;

struct RecordStamp
{
    uint16_t number = 0;
    JournalDateTime stamp;

    friend bool operator==(const RecordStamp &, const RecordStamp &) = default;
};

inline void putRecordStamp(uint8_t *p, const RecordStamp &r)
{
    putU16(p, r.number);
    putJournalDateTime(p + 2, r.stamp);
    putU16(p + 2 + kJournalDateTimeSize, r.stamp.milliseconds);
}

inline RecordStamp getRecordStamp(const uint8_t *p)
{
    RecordStamp r{getU16(p), getJournalDateTime(p + 2)};
    r.stamp.milliseconds = getU16(p + 2 + kJournalDateTimeSize);
    return r;
}

} // namespace vestan
