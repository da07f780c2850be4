// Fuzzes the line frame decoder: arbitrary bytes go in, in chunks of arbitrary
// sizes, and every frame that comes out must be exactly the bytes the line
// carried at that place, within the decoder's payload limit.
//
// Input: byte 0 is the mode, byte 1 seeds the chunk sizes, the rest is the
// line. Mode bits 0-1 pick the payload limit; bit 2 reads the rest as records
// [kind][length][bytes] whose kind bit 0 wraps the bytes in a good frame (so
// that mutations reach whole frames behind the CRC-16), bit 1 then flips
// one of its bytes and bit 2 repeats the record 64 times (long lines make the
// decoder move its buffer); bit 3 resets the decoder and gives up pending frames
// between chunks; bits 4-7 bound the chunk size (1 << n bytes).
//
// Without bit 3 the frames taken must equal those of a plain scan over the
// whole line: at each place, a start mark with a good header check, a length
// within the limit and a good CRC-16 over a frame that fits is a frame, and
// anything else loses one byte. A frame is doubtful when the byte after it is
// no start mark or the four after it no good header.

#include "maker/trvclnk/framecodec.h"
#include "maker/trvclnk/fuzz/fuzzsupport.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace vestan::line;

namespace {

using vestan::fuzz::check;
using vestan::fuzz::Chunker;

using Bytes = std::vector<uint8_t>;

constexpr std::array<size_t, 4> kLimits = {kMaxPayload, 0, 7, 300};

Bytes composeLine(const uint8_t *data, size_t size)
{
    Bytes line;
    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t kind = data[at];
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        const uint8_t *bytes = data + at + 2;
        at += 2 + length;
        for (int copies = (kind & 4) ? 64 : 1; copies > 0; --copies) {
            if (!(kind & 1)) {
                line.insert(line.end(), bytes, bytes + length);
                continue;
            }
            const size_t start = line.size();
            appendFrame(line, bytes, length);
            if (kind & 2)
                line[start + kind % (line.size() - start)] ^= uint8_t(1u << (kind >> 5));
        }
    }
    line.insert(line.end(), data + at, data + size);
    return line;
}

bool goodHeaderAt(const Bytes &line, size_t h, size_t limit)
{
    const uint8_t *p = line.data() + h;
    return h + kHeaderSize <= line.size() && p[0] == kStartMark && crc8(p, 3) == p[3] &&
           (size_t(p[1]) | size_t(p[2]) << 8) <= limit;
}

// Whether the bytes after a good frame that ends at `after` are no frame
// start: another byte than a start mark, or a start mark whose header fails.
bool doubtfulAfter(const Bytes &line, size_t after, size_t limit)
{
    if (after == line.size())
        return false;
    if (line[after] != kStartMark)
        return true;
    return after + kHeaderSize <= line.size() && !goodHeaderAt(line, after, limit);
}

struct Frame
{
    Bytes payload;
    bool doubtful;
    friend bool operator==(const Frame &, const Frame &) = default;
};

std::vector<Frame> scanWhole(const Bytes &line, size_t limit)
{
    std::vector<Frame> frames;
    size_t at = 0;
    while (at + kFramingSize <= line.size()) {
        const uint8_t *p = line.data() + at;
        const size_t length = size_t(p[1]) | size_t(p[2]) << 8;
        if (goodHeaderAt(line, at, limit) && at + length + kFramingSize <= line.size() &&
            crc16(p + 1, 3 + length) == (p[4 + length] | p[5 + length] << 8)) {
            frames.push_back({Bytes(p + kHeaderSize, p + kHeaderSize + length),
                              doubtfulAfter(line, at + length + kFramingSize, limit)});
            at += length + kFramingSize;
        } else {
            ++at;
        }
    }
    return frames;
}

// Tracks where in the line the decoder stands: every byte fed is either
// skipped (counted as garbage), part of a frame taken, dropped by reset() or
// still buffered.
struct Run
{
    const Bytes &line;
    FrameDecoder decoder;
    size_t fed = 0;
    size_t inFrames = 0;
    size_t dropped = 0;
    std::vector<Frame> frames;

    Run(const Bytes &l, size_t limit) : line(l), decoder(limit) {}

    void checkAccounts() const
    {
        const auto &c = decoder.counters();
        check(c.frames == frames.size());
        check(c.garbageBytes + inFrames + dropped + decoder.bufferedBytes() == fed);
        check(c.headerErrors + c.crcErrors + c.stalledFrames <= c.garbageBytes);
    }

    void takeAll()
    {
        Bytes payload = {0xEE, 0xEE, 0xEE}; // must be replaced, not appended to
        bool doubtful = false;
        while (decoder.takeFrame(payload, &doubtful)) {
            check(payload.size() <= decoder.maxPayload());
            const size_t start = size_t(decoder.counters().garbageBytes) + inFrames + dropped;
            const Bytes again = encodeFrame(payload.data(), payload.size());
            check(start + again.size() <= fed);
            check(std::memcmp(line.data() + start, again.data(), again.size()) == 0);
            inFrames += again.size();
            frames.push_back({payload, doubtful});
            checkAccounts();
        }
        // Nothing whole is left: either nothing is buffered or a frame has begun.
        check(decoder.bufferedBytes() == 0 || decoder.framePending());
        if (decoder.framePending()) {
            check(decoder.missingBytes() > 0);
            check(decoder.missingBytes() <= decoder.maxPayload() + kFramingSize);
            // A whole frame may wait for the first bytes of the next one.
            check(decoder.bufferedBytes() < decoder.maxPayload() + kFramingSize + kHeaderSize);
        }
        checkAccounts();
    }

    void feed(size_t from, size_t count)
    {
        // An exact-size copy, so that AddressSanitizer sees any read past it.
        std::unique_ptr<uint8_t[]> chunk(new uint8_t[count]);
        std::memcpy(chunk.get(), line.data() + from, count);
        decoder.feed(chunk.get(), count);
        decoder.feed(chunk.get(), 0); // nothing, and changes nothing
        fed += count;
        // Asked before the frames are taken, with a broken header possibly in
        // front: a header over the limit may still count as pending here.
        check(decoder.missingBytes() <= kMaxPayload + kFramingSize);
        check(decoder.framePending() == (decoder.missingBytes() > 0));
    }

    void drain()
    {
        for (;;) {
            takeAll();
            if (!decoder.framePending())
                break;
            decoder.skipPending();
        }
        check(decoder.bufferedBytes() == 0 || !decoder.framePending());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || size > 1u << 16)
        return 0;
    const uint8_t mode = data[0];
    const size_t limit = kLimits[mode & 3];
    const bool disturb = mode & 8;
    const Bytes line = (mode & 4) ? composeLine(data + 2, size - 2) : Bytes(data + 2, data + size);
    Chunker chunker{uint32_t(data[1]) * 2654435761u | 1u, size_t(1) << std::min(mode >> 4, 12)};

    Run run(line, limit);
    check(run.decoder.maxPayload() == limit);
    size_t at = 0;
    while (at < line.size()) {
        const size_t count = std::min(chunker.next(), line.size() - at);
        run.feed(at, count);
        at += count;
        run.takeAll();
        if (disturb) {
            const size_t roll = chunker.next();
            if (roll % 7 == 0) {
                run.dropped += run.decoder.bufferedBytes();
                run.decoder.reset();
                check(run.decoder.bufferedBytes() == 0 && !run.decoder.framePending());
            } else if (roll % 3 == 0) {
                run.decoder.skipPending();
            }
            run.checkAccounts();
        }
    }
    run.drain();
    if (!disturb)
        check(run.frames == scanWhole(line, limit));
    return 0;
}
