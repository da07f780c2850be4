#include "maker/trvclnk/framecodec.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vestan::line {
namespace {

// The table of a CRC of T's width, most significant bit first.
template <typename T> constexpr std::array<T, 256> makeCrcTable(T poly)
{
    constexpr int shift = 8 * int(sizeof(T)) - 8;
    std::array<T, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        T crc = T(i << shift);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> (shift + 7)) & 1 ? T((crc << 1) ^ poly) : T(crc << 1);
        table[i] = crc;
    }
    return table;
}

constexpr auto kCrc16Table = makeCrcTable<uint16_t>(0x1021);
constexpr auto kCrc8Table = makeCrcTable<uint8_t>(0x07);

} // namespace

uint8_t crc8(const uint8_t *data, size_t size)
{
    uint8_t crc = 0;
    for (size_t i = 0; i < size; ++i)
        crc = kCrc8Table[crc ^ data[i]];
    return crc;
}

uint16_t crc16(const uint8_t *data, size_t size, uint16_t crc)
{
    for (size_t i = 0; i < size; ++i)
        crc = uint16_t((crc << 8) ^ kCrc16Table[((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

void appendFrame(std::vector<uint8_t> &out, const uint8_t *payload, size_t size)
{
    const size_t start = out.size();
    out.resize(start + size + kFramingSize);
    uint8_t *frame = out.data() + start;
    frame[0] = kStartMark;
    frame[1] = uint8_t(size & 0xFF);
    frame[2] = uint8_t(size >> 8);
    frame[3] = crc8(frame, 3);
    if (size > 0)
        std::memcpy(frame + kHeaderSize, payload, size);
    const uint16_t crc = crc16(frame + 1, kHeaderSize - 1 + size);
    frame[kHeaderSize + size] = uint8_t(crc & 0xFF);
    frame[kHeaderSize + size + 1] = uint8_t(crc >> 8);
}

std::vector<uint8_t> encodeFrame(const uint8_t *payload, size_t size)
{
    std::vector<uint8_t> out;
    out.reserve(size + kFramingSize);
    appendFrame(out, payload, size);
    return out;
}

FrameDecoder::FrameDecoder(size_t maxPayload, bool waitsForNext)
    : maxPayload_(std::min(maxPayload, kMaxPayload)), waitsForNext_(waitsForNext)
{}

void FrameDecoder::feed(const uint8_t *data, size_t size)
{
    if (size == 0)
        return;
    compact();
    buffer_.insert(buffer_.end(), data, data + size);
}

size_t FrameDecoder::payloadLengthAt(size_t at) const
{
    return size_t(buffer_[at + 1]) | (size_t(buffer_[at + 2]) << 8);
}

bool FrameDecoder::findHeader()
{
    for (;;) {
        const size_t end = buffer_.size();
        if (pos_ >= end)
            return false;
        const void *mark = std::memchr(buffer_.data() + pos_, kStartMark, end - pos_);
        if (mark == nullptr) {
            counters_.garbageBytes += end - pos_;
            pos_ = end;
            return false;
        }
        const size_t at = size_t(static_cast<const uint8_t *>(mark) - buffer_.data());
        counters_.garbageBytes += at - pos_;
        pos_ = at;
        if (end - pos_ < kHeaderSize)
            return false;
        if (headerAt(pos_))
            return true;
        // Not a frame start after all: the mark was an ordinary byte.
        ++counters_.headerErrors;
        ++counters_.garbageBytes;
        ++pos_;
    }
}

bool FrameDecoder::headerAt(size_t at) const
{
    const uint8_t *header = buffer_.data() + at;
    return header[0] == kStartMark && crc8(header, 3) == header[3] &&
           payloadLengthAt(at) <= maxPayload_;
}

FrameDecoder::Follow FrameDecoder::followAt(size_t at) const
{
    if (at >= buffer_.size())
        return Follow::Unknown;
    if (buffer_[at] != kStartMark)
        return Follow::Damage;
    if (at + kHeaderSize > buffer_.size())
        return Follow::Unknown;
    return headerAt(at) ? Follow::FrameStart : Follow::Damage;
}

bool FrameDecoder::takeFrame(std::vector<uint8_t> &payload, bool *doubtful)
{
    while (findHeader()) {
        const size_t length = payloadLengthAt(pos_);
        const size_t frameSize = length + kFramingSize;
        if (buffer_.size() - pos_ < frameSize)
            return false;
        const uint8_t *frame = buffer_.data() + pos_;
        const uint16_t expected =
            uint16_t(frame[kHeaderSize + length]) | uint16_t(frame[kHeaderSize + length + 1] << 8);
        if (crc16(frame + 1, kHeaderSize - 1 + length) != expected) {
            held_ = false;
            released_ = false;
            ++counters_.crcErrors;
            ++counters_.garbageBytes;
            ++pos_;
            continue;
        }
        // Judged by what follows; a quiet line (released_) shows nothing
        // of the real frame was left over.
        const Follow follow = followAt(pos_ + frameSize);
        if (follow == Follow::Unknown && !released_ && waitsForNext_) {
            held_ = true;
            heldNeed_ = frameSize + kHeaderSize;
            return false;
        }
        held_ = false;
        released_ = false;
        if (follow == Follow::Damage)
            ++counters_.doubtful;
        if (doubtful != nullptr)
            *doubtful = follow == Follow::Damage;
        payload.assign(frame + kHeaderSize, frame + kHeaderSize + length);
        pos_ += frameSize;
        ++counters_.frames;
        compact();
        return true;
    }
    compact();
    return false;
}

bool FrameDecoder::framePending() const
{
    return missingBytes() > 0;
}

size_t FrameDecoder::missingBytes() const
{
    const size_t end = buffer_.size();
    if (pos_ >= end || buffer_[pos_] != kStartMark)
        return 0;
    if (end - pos_ < kHeaderSize)
        return kHeaderSize - (end - pos_) + kTrailerSize;
    const uint8_t *header = buffer_.data() + pos_;
    if (crc8(header, 3) != header[3])
        return 0;
    const size_t frameSize = payloadLengthAt(pos_) + kFramingSize;
    if (end - pos_ < frameSize)
        return frameSize - (end - pos_);
    return held_ && !released_ && heldNeed_ > end - pos_ ? heldNeed_ - (end - pos_) : 0;
}

void FrameDecoder::skipPending()
{
    if (!framePending())
        return;
    if (held_) {
        // Nothing followed at once, so nothing of another frame is in it.
        released_ = true;
        return;
    }
    ++counters_.stalledFrames;
    ++counters_.garbageBytes;
    ++pos_;
}

void FrameDecoder::reset()
{
    buffer_.clear();
    pos_ = 0;
    held_ = false;
    released_ = false;
}

void FrameDecoder::compact()
{
    if (pos_ == 0)
        return;
    if (pos_ >= buffer_.size()) {
        buffer_.clear();
        pos_ = 0;
    } else if (pos_ >= 4096 && pos_ * 2 >= buffer_.size()) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(pos_));
        pos_ = 0;
    }
}

} // namespace vestan::line
