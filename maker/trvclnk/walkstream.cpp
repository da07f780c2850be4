#include "maker/trvclnk/walkstream.h"

#include "maker/trvclnk/linkerrors.h"
#include "protocol/protocol.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vestan::trvclnk {
namespace {

// The longest piece: whole portions of the program's largest size.
constexpr uint16_t kMaxPiece = 1024;
constexpr uint16_t kMinPiece = 64;
// How far beyond the portion asked for the walk is read ahead at least; a
// line with a long round trip gets what fills it.
constexpr uint64_t kAheadBytes = 4096;
// Block reads waiting in the controller's input at most. On a long line the
// round trip holds more on their way; those beyond this many go out no
// faster than the controller's replies take on the line, so that no more
// wait at the controller.
constexpr size_t kMaxDepth = 16;
// Rounds of broken bytes and then silence, without a piece arriving, before
// a portion fails; a silent line fails at once, so a dead line takes no
// longer than one exchange did.
constexpr int kBrokenRounds = 3;
// Head and framing of a block read and its reply on the line.
constexpr int64_t kPieceOverhead = 10 + 10 + 2 * int64_t(line::kFramingSize);
// Doubtful readings of one piece kept to compare the next ones with.
constexpr size_t kDoubtfulReadingsKept = 4;

} // namespace

WalkStream::WalkStream(ByteChannel &channel, const PortSettings &settings, LinkStatistics &stats,
                       const uint8_t *first, size_t depth)
    : channel_(channel), settings_(settings), stats_(stats), depth_(std::max<size_t>(depth, 1)),
      decoder_(kLinkBufferSize)
{
    std::memcpy(head_.data(), first, head_.size());
    portion_ = getU16(first + 4);
    servedTo_ = getU32(first + 6);
    nextAsk_ = servedTo_;
    seen_ = decoder_.counters();
}

bool WalkStream::continues(const uint8_t *request, uint16_t requestLength) const
{
    if (requestLength != 10 || std::memcmp(request, head_.data(), 4) != 0)
        return false;
    const uint16_t length = getU16(request + 4);
    return length > 0 && length <= portion_ && getU32(request + 6) == servedTo_;
}

uint16_t WalkStream::pieceSize() const
{
    // A piece of s bytes costs s + kPieceOverhead / 2 on the way back; with
    // r lost pieces per byte the best s solves x (x - o) = o / r for x = s + o
    // (o the overhead): on a clean line whole kilobytes, at one byte in 2000
    // about 170.
    const double rate = lostPieces_ / std::max(receivedBytes_, 16384.0);
    if (rate <= 0)
        return kMaxPiece;
    const double o = double(kPieceOverhead) / 2;
    const double x = o / 2 + std::sqrt(o * o / 4 + o / rate);
    return uint16_t(std::clamp(x - o, double(kMinPiece), double(kMaxPiece)));
}

uint64_t WalkStream::roundTripBytes() const
{
    const double bytesPerMs = double(settings_.baud) / settings_.bitsPerCharacter() / 1000.0;
    return uint64_t(stats_.roundTripMs * bytesPerMs);
}

uint64_t WalkStream::aheadBytes() const
{
    // A piece asked for again comes back a round trip later, behind what is
    // already on its way (about another round trip's worth): the stream goes
    // on meanwhile, and past a second loss, when it may reach four round
    // trips ahead, plus the pieces under way.
    return std::max<uint64_t>(kAheadBytes, 4 * roundTripBytes() + 2 * uint64_t(kMaxPiece));
}

size_t WalkStream::aheadDepth() const
{
    if (depth_ <= 1)
        return depth_;
    const uint64_t piece = uint64_t(pieceSize()) + kPieceOverhead / 2;
    const auto needed = size_t((aheadBytes() + piece - 1) / piece);
    // The round trip holds that many on the line in either direction.
    const size_t onLine = size_t(roundTripBytes() / piece);
    return std::max(depth_, std::min(needed, kMaxDepth + onLine));
}

int64_t WalkStream::pacedWakeMs() const
{
    // Only when a block read beyond those the controller may hold waits for
    // its turn.
    if (inflight_.size() < kMaxDepth || inflight_.size() >= aheadDepth() || freed_ > 0 ||
        (again_.empty() && (nextAsk_ >= uint64_t(servedTo_) + portion_ + aheadBytes() ||
                            (end_ && nextAsk_ >= *end_))))
        return INT64_MAX;
    return pacedAt_;
}

void WalkStream::setDepth(size_t depth)
{
    depth_ = std::max<size_t>(depth, 1);
}

void WalkStream::sendMore()
{
    out_.clear();
    const auto ask = [&](uint32_t offset, uint16_t length) {
        uint8_t request[10];
        std::memcpy(request, head_.data(), 4);
        putU16(request + 4, length);
        putU32(request + 6, offset);
        line::appendFrame(out_, request, sizeof request);
        inflight_.push_back(offset);
    };
    size_t depth = aheadDepth();
    // A whole reply that only waits for what follows it is over as far as
    // the controller goes. One request at a time (a controller that takes no
    // more, a two-wire bus), the next one goes now and the next reply's start
    // judges it, instead of a quiet inter-byte time-out after every piece.
    if (depth == 1 && decoder_.frameWaitsForNext())
        depth = 2;
    // Beyond what the controller may hold, one block read in place of each
    // one answered or given up, and one more each time the line has carried
    // a reply's worth (while the round trip fills).
    const int64_t now = channel_.nowMs();
    bool restartsWait = false;
    const auto mayAsk = [&] {
        if (inflight_.size() >= depth)
            return false;
        if (inflight_.size() < kMaxDepth) {
            restartsWait = true;
            freed_ = 0;
            return true;
        }
        if (freed_ > 0) {
            --freed_;
            return true;
        }
        if (now < pacedAt_)
            return false;
        pacedAt_ = now + settings_.lineTimeMs(int64_t(pieceSize()) + kPieceOverhead / 2);
        return true;
    };
    while (!again_.empty() && mayAsk()) {
        const uint32_t offset = again_.front();
        again_.pop_front();
        const auto piece = pieces_.find(offset);
        if (piece != pieces_.end() && !piece->second.filled)
            ask(offset, piece->second.length);
    }
    const uint64_t window = uint64_t(servedTo_) + portion_ + aheadBytes();
    while (nextAsk_ < window && nextAsk_ < 0xFFFFFFFFu && (!end_ || nextAsk_ < *end_) && mayAsk()) {
        const auto length = uint16_t(std::min<uint64_t>(pieceSize(), 0xFFFFFFFFu - nextAsk_));
        Piece &piece = pieces_[uint32_t(nextAsk_)];
        piece.length = length;
        ask(uint32_t(nextAsk_), length);
        nextAsk_ += length;
    }
    if (out_.empty())
        return;
    const int timeout = int(settings_.lineTimeMs(int64_t(out_.size())) + 1000);
    if (channel_.write(out_.data(), out_.size(), timeout) != ByteChannel::Status::Ok) {
        ++stats_.writeErrors;
        writeFailed_ = true;
        return;
    }
    // Each request counts once it is answered or given up, so that the
    // statistics add up while pieces are still on their way.
    stats_.bytesSent += out_.size();
    // A paced request goes out while replies stream: it must not put off
    // finding the line silent or a frame broken.
    if (restartsWait)
        lastByteAt_ = channel_.nowMs();
}

int32_t WalkStream::brokenKind() const
{
    const auto &now = decoder_.counters();
    if (now.crcErrors != seen_.crcErrors)
        return kErrCrc;
    if (now.headerErrors != seen_.headerErrors || now.stalledFrames != seen_.stalledFrames)
        return kErrMalformed;
    return kErrTimeout;
}

void WalkStream::presumeLost(size_t count, int32_t kind)
{
    for (size_t i = 0; i < count && !inflight_.empty(); ++i) {
        const uint32_t offset = inflight_.front();
        inflight_.pop_front();
        ++freed_;
        ++stats_.requests;
        if (kind == kErrCrc)
            ++stats_.crcErrors;
        else if (kind == kErrMalformed)
            ++stats_.malformed;
        else
            ++stats_.timeouts;
        askAgain(offset);
    }
    stats_.garbageBytes += decoder_.counters().garbageBytes - seen_.garbageBytes;
    seen_ = decoder_.counters();
}

void WalkStream::askAgain(uint32_t offset)
{
    lostPieces_ += 1;
    const auto piece = pieces_.find(offset);
    if (piece == pieces_.end() || piece->second.filled)
        return;
    if (std::find(again_.begin(), again_.end(), offset) == again_.end() &&
        std::find(inflight_.begin(), inflight_.end(), offset) == inflight_.end())
        again_.push_back(offset);
}

bool WalkStream::takeFrames()
{
    bool filled = false;
    bool doubtful = false;
    while (decoder_.takeFrame(payload_, &doubtful)) {
        const std::vector<uint8_t> &p = payload_;
        if (p.empty() || p[0] != head_[0]) {
            ++stats_.foreignFrames;
            continue;
        }
        if (p.size() < 10 || std::memcmp(p.data(), head_.data(), 4) != 0 ||
            10 + size_t(getU16(p.data() + 4)) > p.size()) {
            ++stats_.strayFrames;
            continue;
        }
        const uint32_t offset = getU32(p.data() + 6);
        receivedBytes_ += double(p.size() + line::kFramingSize);
        // The controller answers in order: what was asked before this one
        // and has not come is lost.
        const auto at = std::find(inflight_.begin(), inflight_.end(), offset);
        if (at == inflight_.end()) {
            // A late reply to a piece already given up.
            ++stats_.strayFrames;
        } else {
            presumeLost(size_t(at - inflight_.begin()), brokenKind());
            inflight_.pop_front();
            ++freed_;
            ++stats_.requests;
            ++stats_.replies;
        }
        filled = takeReading(offset, p, doubtful && settings_.readDoubtfulTwice) || filled;
    }
    stats_.garbageBytes += decoder_.counters().garbageBytes - seen_.garbageBytes;
    seen_.garbageBytes = decoder_.counters().garbageBytes;
    if (receivedBytes_ > 4.0 * 1048576) {
        // Forget old losses slowly, so that a line that got better goes back
        // to whole pieces.
        receivedBytes_ /= 2;
        lostPieces_ /= 2;
    }
    return filled;
}

bool WalkStream::takeReading(uint32_t offset, const std::vector<uint8_t> &reply, bool doubtful)
{
    const uint16_t count = getU16(reply.data() + 4);
    const auto found = pieces_.find(offset);
    if (found == pieces_.end() || found->second.filled || count > found->second.length)
        return false;
    Piece &piece = found->second;
    std::vector<uint8_t> data(reply.begin() + 10, reply.begin() + 10 + count);
    if (doubtful) {
        ++stats_.doubtfulReplies;
        if (std::find(piece.doubtful.begin(), piece.doubtful.end(), data) == piece.doubtful.end()) {
            // Not trusted on one reading: asked again, like a broken piece.
            if (piece.doubtful.size() >= kDoubtfulReadingsKept)
                piece.doubtful.erase(piece.doubtful.begin());
            piece.doubtful.push_back(std::move(data));
            ++rejected_;
            askAgain(offset);
            return false;
        }
    }
    piece.filled = true;
    piece.data = std::move(data);
    piece.doubtful.clear();
    if (count < piece.length)
        end_ = std::min<uint64_t>(end_.value_or(UINT64_MAX), uint64_t(offset) + count);
    return true;
}

bool WalkStream::portionReady(uint32_t offset, uint16_t length) const
{
    if (end_ && offset >= *end_)
        return true;
    auto piece = pieces_.upper_bound(offset);
    if (piece == pieces_.begin())
        return false;
    --piece;
    uint64_t at = offset;
    while (at < uint64_t(offset) + length) {
        if (piece == pieces_.end() || !piece->second.filled || piece->first > at)
            return false;
        if (piece->second.data.size() < piece->second.length)
            return true; // the object ends in this piece
        at = uint64_t(piece->first) + piece->second.length;
        ++piece;
    }
    return true;
}

uint16_t WalkStream::assemble(uint32_t offset, uint16_t length, uint8_t *data)
{
    uint16_t count = 0;
    auto piece = pieces_.upper_bound(offset);
    if (piece != pieces_.begin())
        --piece;
    while (count < length && piece != pieces_.end() && piece->second.filled) {
        const uint64_t at = uint64_t(offset) + count;
        const uint64_t from = at - piece->first;
        if (at < piece->first || from >= piece->second.data.size())
            break;
        const size_t take = std::min<size_t>(piece->second.data.size() - from, length - count);
        std::memcpy(data + count, piece->second.data.data() + from, take);
        count = uint16_t(count + take);
        ++piece;
    }
    return count;
}

bool WalkStream::readSome(int64_t until, bool &failed)
{
    failed = false;
    const int64_t now = channel_.nowMs();
    size_t received = 0;
    const auto status = channel_.read(readBuffer_.data(), readBuffer_.size(),
                                      int(std::max<int64_t>(until - now, 0)), received);
    if (status == ByteChannel::Status::Failed) {
        failed = true;
        return false;
    }
    if (received == 0)
        return false;
    decoder_.feed(readBuffer_.data(), received);
    stats_.bytesReceived += received;
    lastByteAt_ = channel_.nowMs();
    return true;
}

int32_t WalkStream::pump(bool settling, uint32_t offset, uint16_t length)
{
    const int64_t interByte = settings_.effectiveInterByteTimeoutMs();
    // A silent line: no byte for the reply time-out and a piece's line time.
    const int64_t silence = settings_.replyTimeoutMs + int64_t(stats_.roundTripMs) +
                            settings_.lineTimeMs(int64_t(kMaxPiece) + kPieceOverhead);
    int rounds = 0;
    silentAhead_ = false;
    lastByteAt_ = channel_.nowMs();
    for (;;) {
        const uint64_t rejected = rejected_;
        if (takeFrames())
            rounds = 0;
        else if (rejected_ != rejected)
            ++rounds;
        if (!settling) {
            // Keep the controller busy, also while the program takes what
            // is already here.
            sendMore();
            if (writeFailed_) {
                writeFailed_ = false;
                return kErrWriteFailed;
            }
        }
        if (settling ? inflight_.empty() : portionReady(offset, length))
            return kOk;
        if (!settling && rounds >= kBrokenRounds) {
            // Doubtful readings that agree with none before, and nothing else
            // filled in between: the line keeps damaging this portion.
            return kErrMalformed;
        }
        const int64_t now = channel_.nowMs();
        // A reader woken late (a busy machine) looks at the line before it
        // calls it quiet: the bytes may have waited in the system all along.
        const auto quiet = [&] {
            bool failed = false;
            return !readSome(now, failed) && !failed;
        };
        int64_t until = 0;
        if (decoder_.framePending()) {
            until = lastByteAt_ + interByte;
            if ((now >= until && quiet()) || (settling && decoder_.frameWaitsForNext())) {
                // (Settling, no reply is wanted: a whole one is not judged.)
                // The rest of this frame is not coming; its bytes may still
                // hold the start of a good one.
                decoder_.skipPending();
                continue;
            }
        } else if (brokenKind() != kErrTimeout) {
            // On a long line the replies to the last requests are a round
            // trip away.
            until = lastByteAt_ + interByte + int64_t(stats_.roundTripMs);
            if (now >= until && quiet()) {
                // Broken bytes, then silence: nothing asked is still coming.
                const int32_t kind = brokenKind();
                presumeLost(inflight_.size(), kind);
                if (++rounds >= kBrokenRounds || settling)
                    return kind;
                continue;
            }
        } else {
            until = lastByteAt_ + silence;
            if (now >= until && quiet()) {
                silentAhead_ = inflight_.size() >= 2;
                presumeLost(inflight_.size(), kErrTimeout);
                return kErrTimeout;
            }
        }
        bool failed = false;
        readSome(settling ? until : std::min(until, pacedWakeMs()), failed);
        if (failed) {
            presumeLost(inflight_.size(), kErrTimeout);
            ++stats_.deviceErrors;
            return kErrDeviceLost;
        }
    }
}

int32_t WalkStream::serve(const uint8_t *request, uint8_t *reply, uint16_t replyCapacity,
                          uint16_t *replyLength)
{
    *replyLength = 0;
    const uint32_t offset = getU32(request + 6);
    const uint16_t length = getU16(request + 4);
    const int32_t result = pump(false, offset, length);
    if (result != kOk)
        return result;
    std::vector<uint8_t> &data = payload_;
    data.resize(length);
    const uint16_t count = assemble(offset, length, data.data());
    if (size_t(10) + count > replyCapacity) {
        ++stats_.oversize;
        return kErrReplyTooLarge;
    }
    std::memcpy(reply, request, 10);
    putU16(reply + 4, count);
    std::memcpy(reply + 10, data.data(), count);
    *replyLength = uint16_t(10 + count);
    servedTo_ = offset + count;
    // Pieces wholly handed over are no longer needed.
    while (!pieces_.empty() &&
           uint64_t(pieces_.begin()->first) + pieces_.begin()->second.length <= servedTo_ &&
           pieces_.begin()->second.filled)
        pieces_.erase(pieces_.begin());
    return kOk;
}

void WalkStream::settle()
{
    again_.clear();
    if (!inflight_.empty())
        pump(true, 0, 0);
}

} // namespace vestan::trvclnk
