#pragma once

#include "maker/trvclnk/linkstatistics.h"
#include "maker/trvclnk/portsettings.h"

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <vector>

namespace vestan::trvclnk {

class PortTransport;
class RequestExchange;
class WalkStream;

// One COM port of the library: its device, the modem connection made over
// it, its requests and its statistics.
class LinkPort
{
public:
    explicit LinkPort(int index);
    ~LinkPort();
    LinkPort(const LinkPort &) = delete;
    LinkPort &operator=(const LinkPort &) = delete;

    // Opens the device with these settings and, with a telephone number,
    // dials. The port index when open, else a negative code.
    int32_t open(const PortSettings &settings);
    // Hangs up a modem connection and closes; kErrNotOpen when it was closed.
    int32_t close();
    bool isOpen() const;
    int32_t request(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                    uint16_t replyCapacity, uint16_t *replyLength);
    void setPhone(const QByteArray &phone) { phone_ = phone; }
    const QByteArray &phone() const { return phone_; }
    // Event 1: the program's session ends; a modem connection is hung up now.
    int32_t endSession();

    const PortSettings &openSettings() const { return settings_; }
    const LinkStatistics &statistics() const { return stats_; }

private:
    // True when `current` is the block read right after the last one
    // answered in full, of the same object and length: a walk.
    bool startsWalk(const std::vector<uint8_t> &current) const;
    int32_t requestOnLine(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                          uint16_t replyCapacity, uint16_t *replyLength);
    // Makes a lost network connection again.
    int32_t reconnect();
    // One request on its own, asked again at once when its reply broke.
    int32_t exchangeAlone(const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                          uint16_t replyCapacity, uint16_t *replyLength);
    // Before another request or the line changing hands (hang-up, close):
    // no reply of the walk left coming.
    void dropAhead();

    int index_;
    std::vector<uint8_t> lastBlock_; // the last block read answered in full
    // The request whose replies came doubtful, and those readings.
    std::vector<uint8_t> doubtfulRequest_;
    std::vector<std::vector<uint8_t>> doubtfulReadings_;
    std::unique_ptr<WalkStream> walk_;
    int aheadBroken_ = 0;
    bool aheadAllowed_ = true;
    QByteArray phone_;
    PortSettings settings_;
    bool modemConnected_ = false;
    std::unique_ptr<PortTransport> transport_;
    std::unique_ptr<RequestExchange> exchange_;
    LinkStatistics stats_;
};

} // namespace vestan::trvclnk
