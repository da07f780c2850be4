#pragma once

#include "maker/trvclnk/linkstatistics.h"
#include "maker/trvclnk/portsettings.h"

#include <QByteArray>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace vestan::trvclnk {

class SerialTransport;
class RequestExchange;

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
    // The block reads after `current` and those already sent ahead, up to
    // kAheadDepth outstanding, when the program walks an object in equal
    // portions and sending ahead is allowed; empty otherwise.
    std::vector<std::vector<uint8_t>> nextInWalk(const std::vector<uint8_t> &current) const;
    // Lets the controller finish a reply sent ahead that nobody wants, so
    // that the next request never talks into it.
    void settleAhead();
    // Before the line changes hands (hang-up, close): no reply left coming.
    void dropAhead();

    int index_;
    std::vector<uint8_t> lastBlock_;         // the last block read answered in full
    std::deque<std::vector<uint8_t>> ahead_; // block reads sent ahead, replies not yet taken
    int aheadBroken_ = 0;
    bool aheadAllowed_ = true;
    QByteArray phone_;
    PortSettings settings_;
    bool modemConnected_ = false;
    std::unique_ptr<SerialTransport> transport_;
    std::unique_ptr<RequestExchange> exchange_;
    LinkStatistics stats_;
};

} // namespace vestan::trvclnk
