#pragma once

// The line frame of the link library and the controller side (trvsim):
//
//   byte 0        start mark 0xA5
//   bytes 1-2     payload length L, 16-bit little-endian
//   byte 3        CRC-8 (poly 0x07, init 0x00) over bytes 0-2
//   bytes 4..     L payload bytes (a request or a reply; byte 0 the network number)
//   last 2 bytes  CRC-16/CCITT-FALSE over bytes 1 .. 3+L, little-endian
//
// Six bytes of framing, no byte stuffing: a frame's end is known from its
// length. Nothing here does any I/O.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vestan::line {

inline constexpr uint8_t kStartMark = 0xA5;
inline constexpr size_t kHeaderSize = 4;
inline constexpr size_t kTrailerSize = 2;
inline constexpr size_t kFramingSize = kHeaderSize + kTrailerSize;
inline constexpr size_t kMaxPayload = 0xFFFF;
uint8_t crc8(const uint8_t *data, size_t size);
uint16_t crc16(const uint8_t *data, size_t size, uint16_t crc = 0xFFFF);

// Appends the frame of `size` payload bytes to `out`. size <= kMaxPayload.
void appendFrame(std::vector<uint8_t> &out, const uint8_t *payload, size_t size);
std::vector<uint8_t> encodeFrame(const uint8_t *payload, size_t size);

// A push decoder: bytes go in with feed(), whole frames with a good CRC come
// out of takeFrame(). Garbage, broken headers and frames with a bad CRC are
// skipped one byte at a time, so the next good frame is always found.
//
// A good CRC-16 is not proof alone: a frame that garbage was inserted into,
// or that lost bytes and took the next frame's first bytes in their place, is
// read to the length its intact header states and passes by chance once in
// 65536. What follows tells: after a whole frame comes the next frame's start
// (a start mark with a good header) or a quiet line; after a damaged one the
// rest of the real frame, bytes that are no frame start. A frame followed so
// is given as *doubtful*: its bytes may be wrong, so the receiver reads them
// again and trusts them only when two readings agree.
class FrameDecoder
{
public:
    struct Counters
    {
        uint64_t frames = 0;        // good frames taken
        uint64_t doubtful = 0;      // of them followed by bytes that are no frame start
        uint64_t garbageBytes = 0;  // bytes skipped while looking for a start mark
        uint64_t headerErrors = 0;  // start mark with a bad length check or a length over the limit
        uint64_t crcErrors = 0;     // whole frames whose CRC failed
        uint64_t stalledFrames = 0; // pending frames given up by skipPending()
    };

    // `waitsForNext`: a whole frame is held until the bytes after it, or a
    // quiet line, tell whether it is doubtful. A receiver that must answer at
    // once judges it by the bytes already there.
    explicit FrameDecoder(size_t maxPayload = kMaxPayload, bool waitsForNext = true);

    void feed(const uint8_t *data, size_t size);
    // Moves the next good frame's payload into `payload` (replacing its
    // contents); false when no whole frame is buffered. `doubtful` (when
    // given) tells whether bytes that are no frame start followed it.
    bool takeFrame(std::vector<uint8_t> &payload, bool *doubtful = nullptr);

    // After takeFrame() gave false: true while a frame has begun (a start
    // mark, and a good header once four bytes are there) but is incomplete,
    // or is whole and waits for what follows it.
    bool framePending() const;
    // Bytes still needed for the pending frame (a lower bound while its
    // header is incomplete); 0 when none pends.
    size_t missingBytes() const;
    // The pending frame is whole and only waits for what follows it.
    bool frameWaitsForNext() const { return held_ && !released_ && framePending(); }
    // The line stayed quiet: gives up the pending frame (its bytes may hold
    // a start mark of a good frame, so scanning resumes right after the
    // abandoned mark), or, when it is whole and only waited for what follows,
    // lets takeFrame() give it as whole.
    void skipPending();
    // Forgets every buffered byte; the counters stay.
    void reset();

    size_t bufferedBytes() const { return buffer_.size() - pos_; }
    const Counters &counters() const { return counters_; }
    size_t maxPayload() const { return maxPayload_; }

private:
    // Advances pos_ to the next plausible frame start; true when a whole
    // header with a good check lies at pos_.
    bool findHeader();
    // A start mark with a good header check and an allowed length at `at`.
    bool headerAt(size_t at) const;
    enum class Follow
    {
        Unknown,
        FrameStart,
        Damage
    };
    // What the bytes at `at`, right after a frame, show.
    Follow followAt(size_t at) const;
    size_t payloadLengthAt(size_t at) const;
    void compact();

    std::vector<uint8_t> buffer_;
    size_t pos_ = 0;
    size_t maxPayload_;
    bool waitsForNext_;
    Counters counters_;
    // The frame at pos_ is whole and good but waits for the bytes after it
    // (heldNeed_ counted from pos_); released_ once the line stayed quiet.
    bool held_ = false;
    bool released_ = false;
    size_t heldNeed_ = 0;
};

} // namespace vestan::line
