#include "maker/trvclnk/linkport.h"

#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/modemdialer.h"
#include "maker/trvclnk/requestexchange.h"
#include "maker/trvclnk/serialtransport.h"

namespace vestan::trvclnk {

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
    return exchange_->run(request, requestLength, reply, replyCapacity, replyLength);
}

} // namespace vestan::trvclnk
