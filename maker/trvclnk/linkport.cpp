#include "maker/trvclnk/linkport.h"

#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/modemdialer.h"
#include "maker/trvclnk/requestexchange.h"
#include "maker/trvclnk/serialtransport.h"

namespace vestan::trvclnk {
namespace {

// Repetitions of a request whose reply arrived broken, within one call.
constexpr int kQuickResends = 2;

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
    transport_ = std::move(transport);
    exchange_ = std::make_unique<RequestExchange>(*transport_, settings_, stats_);
    stats_.everOpened = true;
    ++stats_.opens;
    return index_;
}

int32_t LinkPort::endSession()
{
    ++stats_.sessionsEnded;
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
    // A reply broken on the way (bad check sum, a frame cut short) shows a
    // live but noisy line: ask again at once a few times before the caller's
    // attempt fails. Otherwise a byte lost in every other long reply would use
    // up the caller's attempts (each with its pause) now and then. A silent
    // line is left to the caller's attempts, so a dead line takes no longer.
    for (int resend = 0;; ++resend) {
        const int32_t result =
            exchange_->run(request, requestLength, reply, replyCapacity, replyLength);
        if ((result != kErrCrc && result != kErrMalformed) || resend >= kQuickResends)
            return result;
    }
}

} // namespace vestan::trvclnk
