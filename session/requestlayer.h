#pragma once

#include "platform/host.h"
#include "session/linkapi.h"
#include "session/linkchannel.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace vestan {

inline constexpr int kRequestAttempts = 10;
inline constexpr int kRetryPauseMs = 100;
inline constexpr int kErrStopped = -51;
// A request that would not fit the link buffer; refused before the library is called.
inline constexpr int kErrRequestTooLong = -52;

// The data of a query or block reply, copied out of the receive buffer.
// After a failed request `count` is the reply length the library reported
// and `data` is empty.
struct ReplyData
{
    uint16_t count = 0;
    std::vector<uint8_t> data;
};

// The application protocol: builds request packets in the channel's transmit
// buffer, exchanges them through the link library with attempts, pauses and
// the retry question, and hands the callers the replies' data.
// An empty operationName means none.
class RequestLayer
{
public:
    RequestLayer(LinkChannel &channel, const LinkApi &api, Host &host);

    int TransactRequest(uint16_t requestLength, uint16_t &replyLength, int reportErrors,
                        const QString &operationName);
    int RequestSize(uint16_t objectCode, uint32_t &value, int reportErrors,
                    const QString &operationName);
    int RequestQuery(uint16_t objectCode, uint16_t length, const uint8_t *argument,
                     ReplyData &reply, int reportErrors, const QString &operationName);
    int RequestBlock(uint16_t objectCode, uint16_t length, uint32_t offset, ReplyData &reply,
                     int reportErrors, const QString &operationName);
    // A query for a record of `recordSize` bytes, refused (with reportErrors
    // shown) when the reply carries fewer.
    int RequestRecord(uint16_t objectCode, uint16_t recordSize, const uint8_t *argument,
                      ReplyData &reply, int reportErrors, const QString &operationName);
    int RequestWrite(uint16_t objectCode, const uint8_t *data, uint16_t length, int reportErrors,
                     const QString &operationName);

    // A query reply carrying fewer data bytes than the record it should hold:
    // shown (with reportErrors) and refused, so stale buffer bytes are never
    // taken for the controller's answer.
    bool ReplyHoldsRecord(uint16_t count, uint16_t recordSize, int reportErrors,
                          const QString &operationName);

    LinkChannel &channel() { return channel_; }
    // Attempts per request before a failure counts (a quick scan of a line wants one).
    void setAttempts(int attempts) { attempts_ = attempts < 1 ? 1 : attempts; }

    // While the window closes there is nobody to answer a box: the exchange
    // under way and every later one end as stopped, without a word.
    void setWindowClosing(bool closing) { closing_ = closing; }

private:
    void putHead(uint8_t command, uint16_t objectCode);
    QString caption(const QString &operationName) const;
    // Shows the failure; true when the user asked for the operation again.
    bool report(int result, bool final, const QString &operationName);
    int refuseTooLong(int reportErrors, const QString &operationName);

    LinkChannel &channel_;
    const LinkApi &api_;
    Host &host_;
    bool closing_ = false;
    int attempts_ = kRequestAttempts;
};

} // namespace vestan
