#include "maker/trvclnk/requestexchange.h"

#include "maker/trvclnk/linkerrors.h"

#include <algorithm>
#include <cstring>

namespace vestan::trvclnk {
namespace {

// Reply bytes the controller should send for a request (without framing).
int64_t expectedReplyLength(const uint8_t *request, uint16_t length)
{
    if (length < 4)
        return kLinkBufferSize;
    const int64_t count = length >= 6 ? getU16(request + 4) : 0;
    switch (request[1]) {
    case CmdSize:
        return packet::kSizeAt + 4;
    case CmdQuery:
        return std::min<int64_t>(packet::kQueryDataAt + count, kLinkBufferSize);
    case CmdBlock:
        return std::min<int64_t>(packet::kBlockDataAt + count, kLinkBufferSize);
    case CmdWrite:
        return packet::kQueryDataAt;
    default:
        return kLinkBufferSize;
    }
}

} // namespace

RequestExchange::RequestExchange(ByteChannel &channel, const PortSettings &settings,
                                 LinkStatistics &stats)
    : channel_(channel), settings_(settings), stats_(stats), decoder_(kMaxReplyPayload)
{
    frame_.reserve(kLinkBufferSize + line::kFramingSize);
    payload_.reserve(kLinkBufferSize);
}

int64_t RequestExchange::replyTimeoutMs(const uint8_t *request, uint16_t requestLength) const
{
    return settings_.replyTimeoutMs + int64_t(stats_.roundTripMs) +
           settings_.lineTimeMs(int64_t(requestLength) + int64_t(line::kFramingSize)) +
           settings_.lineTimeMs(expectedReplyLength(request, requestLength) +
                                int64_t(line::kFramingSize));
}

RequestExchange::Verdict RequestExchange::judge(const uint8_t *request, uint16_t requestLength,
                                                const std::vector<uint8_t> &payload)
{
    if (payload.empty())
        return Verdict::Malformed;
    if (payload[0] != request[0])
        return Verdict::Foreign;
    const size_t head = std::min<size_t>(requestLength, 4);
    if (payload.size() < head)
        return Verdict::Malformed;
    if (std::memcmp(payload.data(), request, head) != 0)
        return Verdict::Stray;
    if (requestLength < 4)
        return Verdict::Accept;
    const size_t size = payload.size();
    switch (request[1]) {
    case 1:
        return size >= 8 ? Verdict::Accept : Verdict::Malformed;
    case 2:
        if (size < 6 || 6 + size_t(getU16(payload.data() + 4)) > size)
            return Verdict::Malformed;
        return Verdict::Accept;
    case 3:
        if (size < 10)
            return Verdict::Malformed;
        if (requestLength >= 10 && std::memcmp(payload.data() + 6, request + 6, 4) != 0)
            return Verdict::Stray;
        if (10 + size_t(getU16(payload.data() + 4)) > size)
            return Verdict::Malformed;
        return Verdict::Accept;
    default:
        return Verdict::Accept;
    }
}

void RequestExchange::noteDecoderCounters()
{
    const auto &now = decoder_.counters();
    stats_.garbageBytes += now.garbageBytes - seen_.garbageBytes;
    seen_ = now;
}

int32_t RequestExchange::endWithoutReply(bool brokenSeen)
{
    const uint64_t crcErrors = decoder_.counters().crcErrors - seen_.crcErrors;
    noteDecoderCounters();
    if (crcErrors > 0) {
        ++stats_.crcErrors;
        return kErrCrc;
    }
    if (brokenSeen) {
        ++stats_.malformed;
        return kErrMalformed;
    }
    ++stats_.timeouts;
    return kErrTimeout;
}

int32_t RequestExchange::run(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                             uint16_t replyCapacity, uint16_t *replyLength)
{
    *replyLength = 0;
    // Whatever lies in the input now answers nothing we are going to ask.
    channel_.discardInput();
    ++stats_.requests;
    if (!send(request, requestLength)) {
        ++stats_.writeErrors;
        return kErrWriteFailed;
    }
    const bool askedAgain = unanswered_.size() == requestLength &&
                            std::equal(unanswered_.begin(), unanswered_.end(), request);
    if (!askedAgain)
        firstSentAt_ = sentAt_;
    firstByteAt_ = -1;
    const int32_t result = receive(request, requestLength, reply, replyCapacity, replyLength);
    if (result == kOk && firstByteAt_ >= 0)
        stats_.noteRoundTrip(
            double(firstByteAt_ - firstSentAt_ -
                   settings_.lineTimeMs(int64_t(requestLength) + int64_t(line::kFramingSize))),
            double(settings_.replyTimeoutMs));
    if (result == kErrTimeout)
        unanswered_.assign(request, request + requestLength);
    else
        unanswered_.clear();
    return result;
}

bool RequestExchange::send(const uint8_t *request, uint16_t requestLength)
{
    decoder_.reset();
    seen_ = decoder_.counters();
    frame_.clear();
    line::appendFrame(frame_, request, requestLength);
    const int writeTimeout = int(settings_.lineTimeMs(int64_t(frame_.size())) + 1000);
    if (channel_.write(frame_.data(), frame_.size(), writeTimeout) != ByteChannel::Status::Ok)
        return false;
    stats_.bytesSent += frame_.size();
    sentAt_ = channel_.nowMs();
    return true;
}

int32_t RequestExchange::receive(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                                 uint16_t replyCapacity, uint16_t *replyLength)
{
    const int64_t interByte = settings_.effectiveInterByteTimeoutMs();
    int64_t deadline = sentAt_ + replyTimeoutMs(request, requestLength);
    bool extended = false;
    bool brokenSeen = false;
    int64_t lastByteAt = -1;
    replyDoubtful_ = false;
    for (;;) {
        bool doubtful = false;
        while (decoder_.takeFrame(payload_, &doubtful)) {
            switch (judge(request, requestLength, payload_)) {
            case Verdict::Foreign:
                ++stats_.foreignFrames;
                continue;
            case Verdict::Stray:
                ++stats_.strayFrames;
                continue;
            case Verdict::Malformed:
                brokenSeen = true;
                continue;
            case Verdict::Accept:
                break;
            }
            noteDecoderCounters();
            if (payload_.size() > replyCapacity) {
                ++stats_.oversize;
                return kErrReplyTooLarge;
            }
            std::memcpy(reply, payload_.data(), payload_.size());
            *replyLength = uint16_t(payload_.size());
            ++stats_.replies;
            if (doubtful && settings_.readDoubtfulTwice) {
                ++stats_.doubtfulReplies;
                replyDoubtful_ = true;
            }
            return kOk;
        }
        const auto &counters = decoder_.counters();
        if (counters.crcErrors != seen_.crcErrors || counters.headerErrors != seen_.headerErrors)
            brokenSeen = true;

        const int64_t now = channel_.nowMs();
        int64_t waitUntil = deadline;
        if (decoder_.framePending()) {
            const int64_t stallAt = lastByteAt + interByte;
            if (now >= stallAt) {
                // A whole frame was followed by a quiet line; or the rest of
                // a frame is not coming, and its bytes may still hold the
                // start of a good one.
                brokenSeen = brokenSeen || !decoder_.frameWaitsForNext();
                decoder_.skipPending();
                continue;
            }
            if (now >= deadline && !extended) {
                // A frame still arriving at the deadline may finish.
                extended = true;
                deadline =
                    now + 2 * settings_.lineTimeMs(int64_t(decoder_.missingBytes())) + interByte;
            }
            waitUntil = std::min(stallAt, deadline);
        } else if (brokenSeen && lastByteAt >= 0) {
            // Broken bytes, then silence: this reply is lost, say so early.
            waitUntil = std::min(deadline, lastByteAt + interByte);
        }
        if (now >= waitUntil) {
            if (now >= deadline && decoder_.framePending()) {
                // Out of time: a whole reply that waited for what follows is
                // taken, a frame still arriving is given up.
                decoder_.skipPending();
                continue;
            }
            if (now >= deadline || brokenSeen)
                return endWithoutReply(brokenSeen);
            continue;
        }

        size_t received = 0;
        const auto status =
            channel_.read(readBuffer_.data(), readBuffer_.size(), int(waitUntil - now), received);
        if (status == ByteChannel::Status::Failed) {
            noteDecoderCounters();
            ++stats_.deviceErrors;
            return kErrDeviceLost;
        }
        if (received > 0) {
            decoder_.feed(readBuffer_.data(), received);
            stats_.bytesReceived += received;
            lastByteAt = channel_.nowMs();
            if (firstByteAt_ < 0)
                firstByteAt_ = lastByteAt;
        }
    }
}

} // namespace vestan::trvclnk
