#include "maker/trvclnk/linkport.h"

#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/modemdialer.h"
#include "maker/trvclnk/porttransport.h"
#include "maker/trvclnk/requestexchange.h"
#include "maker/trvclnk/walkstream.h"
#include "protocol/protocol.h"

#include <algorithm>

namespace vestan::trvclnk {
namespace {

// Repetitions of a request whose reply arrived broken, within one call.
constexpr int kQuickResends = 2;
// Failed portions of walks where requests went ahead, before this port
// stops sending ahead until it is opened again.
constexpr int kAheadBrokenLimit = 2;
// Block reads of a walk on their way at most: the controller has the next
// ones queued when it finishes a reply, however late the program asks (on a
// fast line the wake-ups of program and controller, not the bytes, take the
// time), and pieces of a lossy line keep streaming.
constexpr size_t kAheadDepth = 8;
// Doubtful readings of one request kept to compare the next ones with.
constexpr size_t kDoubtfulReadingsKept = 8;
// A round trip this long makes every block read a walk from its start: a
// second round trip to see the walk would cost more than the replies to a
// lone read's pieces beyond the object's end.
constexpr double kLongRoundTripMs = 50;
// Between connects to a server that refuses: it may be starting again.
constexpr int kReconnectPauseMs = 200;

} // namespace

LinkPort::LinkPort(int index) : index_(index) {}

LinkPort::~LinkPort()
{
    close();
}

bool LinkPort::isOpen() const
{
    return transport_ && transport_->isOpen();
}

int32_t LinkPort::open(const PortSettings &settings)
{
    if (isOpen())
        return index_;
    if (!ModemDialer::isDialable(phone_))
        return kErrPhoneNotDialable;
    auto transport = makePortTransport(settings.device);
    if (!transport->open(settings)) {
        ++stats_.openFailures;
        return transport->openFailure();
    }
    const QByteArray number = ModemDialer::dialString(phone_);
    if (!number.isEmpty()) {
        ++stats_.dials;
        const int32_t dialed = ModemDialer(*transport, settings).dial(number);
        if (dialed != kOk) {
            ++stats_.dialFailures;
            transport->close();
            return dialed;
        }
        modemConnected_ = true;
    }
    settings_ = settings;
    walk_.reset();
    lastBlock_.clear();
    aheadBroken_ = 0;
    aheadAllowed_ = true;
    transport_ = std::move(transport);
    exchange_ = std::make_unique<RequestExchange>(*transport_, settings_, stats_);
    stats_.everOpened = true;
    ++stats_.opens;
    return index_;
}

int32_t LinkPort::endSession()
{
    ++stats_.sessionsEnded;
    dropAhead();
    if (isOpen() && modemConnected_) {
        modemConnected_ = false;
        return ModemDialer(*transport_, settings_).hangUp();
    }
    return kOk;
}

int32_t LinkPort::close()
{
    if (!transport_)
        return kErrNotOpen;
    dropAhead();
    if (modemConnected_ && transport_->isOpen())
        ModemDialer(*transport_, settings_).hangUp();
    modemConnected_ = false;
    exchange_.reset();
    transport_->close();
    transport_.reset();
    return kOk;
}

int32_t LinkPort::request(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                          uint16_t replyCapacity, uint16_t *replyLength)
{
    if (!isOpen())
        return kErrNotOpen;
    if (transport_->lost()) {
        const int32_t reconnected = reconnect();
        if (reconnected != kOk)
            return reconnected;
    }
    const int32_t result = requestOnLine(request, requestLength, reply, replyCapacity, replyLength);
    if (!transport_->lost())
        return result;
    // The connection dropped under this attempt: it fails like a silent line,
    // and the next one connects again.
    ++stats_.connectionsLost;
    walk_.reset();
    lastBlock_.clear();
    *replyLength = 0;
    return kErrConnectionLost;
}

int32_t LinkPort::reconnect()
{
    walk_.reset();
    lastBlock_.clear();
    // A server that stays away costs an attempt what a silent line costs.
    const int64_t until = transport_->nowMs() + settings_.replyTimeoutMs;
    for (;;) {
        ++stats_.reconnects;
        if (transport_->reconnect())
            return kOk;
        const int32_t failure = transport_->openFailure();
        if (isFinalError(failure) || transport_->nowMs() >= until)
            return failure;
        transport_->pauseMs(kReconnectPauseMs);
    }
}

int32_t LinkPort::requestOnLine(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                                uint16_t replyCapacity, uint16_t *replyLength)
{
    const std::vector<uint8_t> current(request, request + requestLength);
    if (walk_ && !walk_->continues(request, requestLength))
        dropAhead();
    const bool longLine = stats_.roundTripMs >= kLongRoundTripMs && aheadAllowed_ &&
                          current.size() == 10 && current[1] == 3 && (current[4] | current[5]) != 0;
    if (!walk_ && settings_.readAhead && (longLine || startsWalk(current)))
        walk_ = std::make_unique<WalkStream>(*transport_, settings_, stats_, request,
                                             aheadAllowed_ ? kAheadDepth : 1);
    if (walk_) {
        const int32_t result = walk_->serve(request, reply, replyCapacity, replyLength);
        if (result != kOk && (walk_->silentAhead() || result != kErrTimeout) && aheadAllowed_ &&
            ++aheadBroken_ >= kAheadBrokenLimit) {
            // Portions failed where requests went ahead: a two-wire bus,
            // where both cannot talk at once (every piece breaks), a
            // controller that takes one request at a time (the ones ahead
            // are never answered), or a line too poor to gain anything.
            aheadAllowed_ = false;
            walk_->setDepth(1);
        }
        return result;
    }
    const int32_t result = exchangeAlone(request, requestLength, reply, replyCapacity, replyLength);
    const bool full = result == kOk && requestLength == 10 && request[1] == 3 &&
                      *replyLength >= 6 && reply[4] == request[4] && reply[5] == request[5];
    lastBlock_ = full ? current : std::vector<uint8_t>();
    return result;
}

int32_t LinkPort::exchangeAlone(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                                uint16_t replyCapacity, uint16_t *replyLength)
{
    // A reply broken on the way (bad check sum, a frame cut short) shows a
    // live but noisy line: ask again at once a few times before the caller's
    // attempt fails. Otherwise a byte lost in every other long reply would use
    // up the caller's attempts (each with its pause) now and then. A silent
    // line is left to the caller's attempts, so a dead line takes no longer.
    // A doubtful reply is such an attempt too until another reading of the
    // same request agrees with it byte for byte; the readings are kept across
    // the caller's attempts.
    if (!std::equal(request, request + requestLength, doubtfulRequest_.begin(),
                    doubtfulRequest_.end())) {
        doubtfulRequest_.assign(request, request + requestLength);
        doubtfulReadings_.clear();
    }
    int32_t result = kOk;
    for (int resend = 0;; ++resend) {
        result = exchange_->run(request, requestLength, reply, replyCapacity, replyLength);
        if (result == kOk && exchange_->replyDoubtful()) {
            std::vector<uint8_t> reading(reply, reply + *replyLength);
            if (std::find(doubtfulReadings_.begin(), doubtfulReadings_.end(), reading) !=
                doubtfulReadings_.end())
                return kOk;
            if (doubtfulReadings_.size() >= kDoubtfulReadingsKept)
                doubtfulReadings_.erase(doubtfulReadings_.begin());
            doubtfulReadings_.push_back(std::move(reading));
            *replyLength = 0;
            result = kErrMalformed;
        }
        if ((result != kErrCrc && result != kErrMalformed) || resend >= kQuickResends)
            return result;
    }
}

bool LinkPort::startsWalk(const std::vector<uint8_t> &current) const
{
    // The program walks an object in portions: a block read (command 3) of
    // the same length right after the last one answered in full.
    if (current.size() != 10 || current[1] != 3 || lastBlock_.size() != 10 ||
        !std::equal(current.begin(), current.begin() + 6, lastBlock_.begin()))
        return false;
    const uint32_t length = getU16(current.data() + 4);
    return length > 0 &&
           uint64_t(getU32(lastBlock_.data() + 6)) + length == getU32(current.data() + 6);
}

void LinkPort::dropAhead()
{
    if (walk_ && isOpen())
        walk_->settle();
    walk_.reset();
    lastBlock_.clear();
}

} // namespace vestan::trvclnk
