#pragma once

#include "maker/trvclnk/bytechannel.h"
#include "maker/trvclnk/framecodec.h"
#include "maker/trvclnk/linkstatistics.h"
#include "maker/trvclnk/portsettings.h"
#include "protocol/protocol.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vestan::trvclnk {

using vestan::kLinkBufferSize;
// The longest reply frame taken whole, so that a reply too large for the
// caller is refused as such; longer "frames" are noise to the decoder, and a
// false header in noise cannot hold the line for long.
inline constexpr size_t kMaxReplyPayload = 8192;

// One request out, its reply back, on an open line.
//
// The reply time-out is the configured one plus the time the request and the
// expected reply need on the line at the port's speed. A reply counts when
// its frame is whole with a good CRC, it carries the request's network
// number, command and object code (and, for a block read, its offset), and
// the count it states fits inside it. Frames for another network number and
// late replies to earlier requests are ignored, as on a shared RS-485 line.
// A frame that stops arriving for the inter-byte time-out is given up; once
// the line has carried broken bytes and then stays quiet for that long, the
// attempt ends early with a CRC or frame error instead of a full time-out.
class RequestExchange
{
public:
    RequestExchange(ByteChannel &channel, const PortSettings &settings, LinkStatistics &stats);

    int32_t run(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                uint16_t replyCapacity, uint16_t *replyLength);
    // The last reply given was followed by bytes that are no frame start: it
    // may have taken in garbage or lost bytes, so it is only trusted when a
    // second reading agrees.
    bool replyDoubtful() const { return replyDoubtful_; }

    // The whole time-out for a request, in milliseconds (for the tests and
    // the documentation of the line protocol).
    int64_t replyTimeoutMs(const uint8_t *request, uint16_t requestLength) const;

private:
    enum class Verdict
    {
        Accept,
        Foreign,
        Stray,
        Malformed
    };
    static Verdict judge(const uint8_t *request, uint16_t requestLength,
                         const std::vector<uint8_t> &payload);
    bool send(const uint8_t *request, uint16_t requestLength);
    int32_t receive(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                    uint16_t replyCapacity, uint16_t *replyLength);
    int32_t endWithoutReply(bool brokenSeen);
    void noteDecoderCounters();

    ByteChannel &channel_;
    PortSettings settings_;
    LinkStatistics &stats_;
    line::FrameDecoder decoder_;
    line::FrameDecoder::Counters seen_;
    int64_t sentAt_ = 0;
    bool replyDoubtful_ = false;
    // The round trip is measured from the first sending of a request asked
    // again after a silence, so that the late reply of a long line counts
    // with its true delay (and a longer one errs on the safe side).
    std::vector<uint8_t> unanswered_;
    int64_t firstSentAt_ = 0;
    int64_t firstByteAt_ = -1;
    std::vector<uint8_t> frame_;
    std::vector<uint8_t> payload_;
    std::array<uint8_t, 16384> readBuffer_{};
};

} // namespace vestan::trvclnk
