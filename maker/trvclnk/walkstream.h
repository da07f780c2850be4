#pragma once

#include "maker/trvclnk/bytechannel.h"
#include "maker/trvclnk/framecodec.h"
#include "maker/trvclnk/linkstatistics.h"
#include "maker/trvclnk/portsettings.h"
#include "maker/trvclnk/requestexchange.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

namespace vestan::trvclnk {

// The block reads of one walk (an object read in equal portions from a
// growing offset), kept streaming on the line.
//
// The walk's bytes are asked for in pieces laid out once, independent of the
// portions: whole kilobytes on a clean line, smaller ones as the line loses
// bytes, so that a loss costs only the piece it hit. Several pieces are
// asked for ahead; the controller answers them in order, so a reply that
// arrives while an earlier one has not shows that the earlier one was lost,
// and only that piece is asked for again, at once, while the rest streams
// on. A portion is handed over when all its bytes are there, as the one reply
// the controller would have given to it.
class WalkStream
{
public:
    // `first` is the block read that showed the walk (answered in full);
    // the stream starts right after it. `depth` is the most requests that
    // may be on their way at once (1: strictly one after the other).
    WalkStream(ByteChannel &channel, const PortSettings &settings, LinkStatistics &stats,
               const uint8_t *first, size_t depth);

    // True when `request` is the walk's next portion.
    bool continues(const uint8_t *request, uint16_t requestLength) const;
    // Serves that portion like one exchange: kOk with the reply, or the
    // error of a line that stayed silent or broken.
    int32_t serve(const uint8_t *request, uint8_t *reply, uint16_t replyCapacity,
                  uint16_t *replyLength);
    // Lets the replies still on their way end (they are not wanted), so that
    // the next request never talks into one.
    void settle();
    // After a controller or bus showed it cannot take requests ahead.
    void setDepth(size_t depth);
    // The last portion failed on a silent line with several requests on
    // their way: a controller that takes one request at a time looks so.
    bool silentAhead() const { return silentAhead_; }

private:
    struct Piece
    {
        uint16_t length = 0;
        bool filled = false;
        std::vector<uint8_t> data; // count bytes as the controller gave them
        // Doubtful readings (followed by bytes that are no frame start): the
        // piece is filled once two readings agree.
        std::vector<std::vector<uint8_t>> doubtful;
    };

    uint16_t pieceSize() const;
    // What the line carries at its speed during the measured round trip.
    uint64_t roundTripBytes() const;
    // Bytes asked for beyond the portion, and block reads on their way at
    // most: enough to fill the line's round trip.
    uint64_t aheadBytes() const;
    size_t aheadDepth() const;
    // When the next block read beyond what the controller holds may go, if
    // one waits for that.
    int64_t pacedWakeMs() const;
    void sendMore();
    bool portionReady(uint32_t offset, uint16_t length) const;
    uint16_t assemble(uint32_t offset, uint16_t length, uint8_t *reply);
    // Takes every whole frame from the decoder; true when one filled a piece.
    bool takeFrames();
    // Takes one reading of a piece; true when it filled the piece.
    bool takeReading(uint32_t offset, const std::vector<uint8_t> &reply, bool doubtful);
    void presumeLost(size_t count, int32_t kind);
    // Puts a piece not yet filled on the list to ask again.
    void askAgain(uint32_t offset);
    int32_t brokenKind() const;
    bool readSome(int64_t until, bool &failed);
    // Runs the line until the portion is whole (or, settling, until nothing
    // asked is still on its way).
    int32_t pump(bool settling, uint32_t offset, uint16_t length);

    ByteChannel &channel_;
    PortSettings settings_;
    LinkStatistics &stats_;
    std::array<uint8_t, 6> head_{}; // net, 3, object code, portion length
    uint16_t portion_ = 0;
    size_t depth_;
    uint32_t servedTo_ = 0; // where the next portion begins
    uint64_t nextAsk_ = 0;  // first byte not yet laid out in a piece
    std::optional<uint64_t> end_;
    std::map<uint32_t, Piece> pieces_;
    std::deque<uint32_t> inflight_; // pieces asked for, in the order asked
    std::deque<uint32_t> again_;    // pieces to ask for again
    line::FrameDecoder decoder_;
    line::FrameDecoder::Counters seen_;
    // Loss observed on this line: broken pieces per byte received.
    double lostPieces_ = 0;
    double receivedBytes_ = 0;
    int64_t lastByteAt_ = 0;
    uint64_t rejected_ = 0; // doubtful readings that agreed with none before
    int64_t pacedAt_ = 0;
    size_t freed_ = 0; // answered or given up since the last request beyond kMaxDepth
    bool writeFailed_ = false;
    bool silentAhead_ = false;
    std::vector<uint8_t> out_;
    std::vector<uint8_t> payload_;
    std::array<uint8_t, 16384> readBuffer_{};
};

} // namespace vestan::trvclnk
