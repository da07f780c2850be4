#include "maker/trvclnk/linkport.h"

#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/modemdialer.h"
#include "maker/trvclnk/requestexchange.h"
#include "maker/trvclnk/serialtransport.h"

#include <algorithm>

namespace vestan::trvclnk {
namespace {

// Repetitions of a request whose reply arrived broken, within one call.
constexpr int kQuickResends = 2;
// Replies in a row that broke while a request was sent ahead, before this
// port stops sending ahead until it is opened again.
constexpr int kAheadBrokenLimit = 2;

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
    auto transport = std::make_unique<SerialTransport>();
    if (!transport->open(settings)) {
        ++stats_.openFailures;
        return kErrOpenFailed;
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
    ahead_.clear();
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
    const std::vector<uint8_t> current(request, request + requestLength);
    bool fromAhead = !ahead_.empty() && current == ahead_;
    if (!ahead_.empty() && !fromAhead)
        settleAhead();
    ahead_.clear();
    const std::vector<uint8_t> next = nextInWalk(current);
    // A reply broken on the way (bad check sum, a frame cut short) shows a
    // live but noisy line: ask again at once a few times before the caller's
    // attempt fails. Otherwise a byte lost in every other long reply would use
    // up the caller's attempts (each with its pause) now and then. A silent
    // line is left to the caller's attempts, so a dead line takes no longer.
    int32_t result = kOk;
    for (int resend = 0;; ++resend) {
        // Only the first try sends ahead: a repeated request would meet the
        // reply sent ahead on its way.
        const std::vector<uint8_t> &sendNext = resend == 0 ? next : std::vector<uint8_t>();
        result = fromAhead ? exchange_->awaitAhead(request, requestLength, reply, replyCapacity,
                                                   replyLength, sendNext)
                           : exchange_->run(request, requestLength, reply, replyCapacity,
                                            replyLength, sendNext);
        fromAhead = false;
        if (exchange_->sentAhead()) {
            if (result == kOk) {
                ahead_ = next;
                aheadBroken_ = 0;
            } else if (++aheadBroken_ >= kAheadBrokenLimit) {
                // Replies broken while we sent: a two-wire bus, where both
                // cannot talk at once, or a line too poor to gain anything.
                aheadAllowed_ = false;
            }
        }
        if ((result != kErrCrc && result != kErrMalformed) || resend >= kQuickResends)
            break;
    }
    const bool full = result == kOk && requestLength == 10 && request[1] == 3 &&
                      *replyLength >= 6 && reply[4] == request[4] && reply[5] == request[5];
    lastBlock_ = full ? current : std::vector<uint8_t>();
    return result;
}

std::vector<uint8_t> LinkPort::nextInWalk(const std::vector<uint8_t> &current) const
{
    // The program walks an object in portions: a block read (command 3) of
    // the same length right after the last one answered in full.
    if (!settings_.readAhead || !aheadAllowed_ || current.size() != 10 || current[1] != 3 ||
        lastBlock_.size() != 10 ||
        !std::equal(current.begin(), current.begin() + 6, lastBlock_.begin()))
        return {};
    const auto u32At = [](const std::vector<uint8_t> &p) {
        return uint32_t(p[6]) | uint32_t(p[7]) << 8 | uint32_t(p[8]) << 16 | uint32_t(p[9]) << 24;
    };
    const uint32_t length = uint32_t(current[4]) | uint32_t(current[5]) << 8;
    const uint64_t offset = u32At(current);
    if (length == 0 || u32At(lastBlock_) + uint64_t(length) != offset ||
        offset + 2 * uint64_t(length) > 0xFFFFFFFFu)
        return {};
    std::vector<uint8_t> next = current;
    const uint32_t nextOffset = uint32_t(offset + length);
    for (int i = 0; i < 4; ++i)
        next[size_t(6 + i)] = uint8_t(nextOffset >> (8 * i));
    return next;
}

void LinkPort::dropAhead()
{
    if (!ahead_.empty() && isOpen())
        settleAhead();
    ahead_.clear();
    lastBlock_.clear();
}

void LinkPort::settleAhead()
{
    uint8_t scratch[kLinkBufferSize];
    uint16_t length = 0;
    exchange_->awaitAhead(ahead_.data(), uint16_t(ahead_.size()), scratch, sizeof scratch, &length);
}

} // namespace vestan::trvclnk
