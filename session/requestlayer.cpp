#include "session/requestlayer.h"

#include "platform/codepage.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace vestan {
namespace {

constexpr int kHeadLength = packet::kQueryDataAt; // net, command, object code, length

// The data a reply claims, but never more than the bytes that arrived: a
// reply that claims more would hand stale buffer bytes on as data.
void takeData(const uint8_t *reply, uint16_t replyLength, int dataOffset, ReplyData &out)
{
    const uint16_t claimed = getU16(reply + packet::kCountAt);
    const int arrived = std::max(0, int(replyLength) - dataOffset);
    out.count = uint16_t(std::min<int>(claimed, arrived));
    out.data.assign(reply + dataOffset, reply + dataOffset + out.count);
}

} // namespace

RequestLayer::RequestLayer(LinkChannel &channel, const LinkApi &api, Host &host)
    : channel_(channel), api_(api), host_(host)
{}

int RequestLayer::TransactRequest(uint16_t requestLength, uint16_t &replyLength, int reportErrors,
                                  const QString &operationName)
{
    if (requestLength > kLinkBufferSize)
        return refuseTooLong(reportErrors, operationName);
    if (closing_)
        return kErrStopped;
    for (;;) {
        int result = 0;
        bool final = false;
        for (int attempt = 0; attempt < attempts_; ++attempt) {
            result = api_._trvCL_fRequest(channel_.portIndex, channel_.txBuffer, requestLength,
                                          channel_.rxBuffer, kLinkBufferSize, &replyLength);
            if (result == 0)
                return 0;
            if (api_._trvCL_fChkErrType(result) != 0) {
                final = true;
                break;
            }
            host_.sleepMs(kRetryPauseMs);
            host_.processEvents();
            if (channel_.running == 0 || closing_) {
                result = kErrStopped;
                final = true;
                break;
            }
        }
        if (!reportErrors || closing_ || !report(result, final, operationName))
            return result;
    }
}

QString RequestLayer::caption(const QString &operationName) const
{
    const QString programFileName = QFileInfo(host_.programPath()).fileName();
    return operationName.isEmpty()
               ? QString::asprintf("%s", qUtf8Printable(programFileName))
               : QString::asprintf("%s :\"%s\"", qUtf8Printable(programFileName),
                                   qUtf8Printable(operationName));
}

bool RequestLayer::ReplyHoldsRecord(uint16_t count, uint16_t recordSize, int reportErrors,
                                    const QString &operationName)
{
    if (count >= recordSize)
        return true;
    if (reportErrors)
        host_.messageBox(caption(operationName),
                         QString::asprintf("Неполный ответ контроллера: %u байт данных вместо %u.",
                                           unsigned(count), unsigned(recordSize)),
                         kMbIconStop | kMbOk);
    return false;
}

int RequestLayer::refuseTooLong(int reportErrors, const QString &operationName)
{
    if (reportErrors)
        report(kErrRequestTooLong, true, operationName);
    return kErrRequestTooLong;
}

bool RequestLayer::report(int result, bool final, const QString &operationName)
{
    const QString caption = this->caption(operationName);
    const QString libraryText = fromCp1251(api_._trvCL_fErr2str(result));
    QString text = QString::asprintf("COM%u: [Ош=%i] \"%s\"", unsigned(channel_.portIndex + 1),
                                     result, qUtf8Printable(libraryText));
    if (final) {
        host_.messageBox(caption, text, kMbIconStop | kMbOk);
        return false;
    }
    text += "\nПовторить операцию?";
    return host_.messageBox(caption, text, kMbIconQuestion | kMbYesNo) == kIdYes;
}

void RequestLayer::putHead(uint8_t command, uint16_t objectCode)
{
    channel_.txBuffer[packet::kNetAt] = channel_.netNumber;
    channel_.txBuffer[packet::kCommandAt] = command;
    putU16(channel_.txBuffer + packet::kObjectAt, objectCode);
}

int RequestLayer::RequestSize(uint16_t objectCode, uint32_t &value, int reportErrors,
                              const QString &operationName)
{
    value = 0;
    putHead(CmdSize, objectCode);
    uint16_t replyLength = 0;
    const int result =
        TransactRequest(packet::kSizeRequestLength, replyLength, reportErrors, operationName);
    if (result == 0)
        value = getU32(channel_.rxBuffer + packet::kSizeAt);
    return result;
}

int RequestLayer::RequestQuery(uint16_t objectCode, uint16_t length, const uint8_t *argument,
                               ReplyData &reply, int reportErrors, const QString &operationName)
{
    reply = ReplyData();
    uint16_t packetLength = kHeadLength;
    if (argument) {
        if (length > kLinkBufferSize - kHeadLength)
            return refuseTooLong(reportErrors, operationName);
        packetLength = uint16_t(kHeadLength + length);
    }
    putHead(CmdQuery, objectCode);
    putU16(channel_.txBuffer + packet::kCountAt, length);
    if (argument)
        std::memcpy(channel_.txBuffer + kHeadLength, argument, length);
    const int result = TransactRequest(packetLength, reply.count, reportErrors, operationName);
    if (result == 0)
        takeData(channel_.rxBuffer, reply.count, packet::kQueryDataAt, reply);
    return result;
}

int RequestLayer::RequestRecord(uint16_t objectCode, uint16_t recordSize, const uint8_t *argument,
                                ReplyData &reply, int reportErrors, const QString &operationName)
{
    const int result =
        RequestQuery(objectCode, recordSize, argument, reply, reportErrors, operationName);
    if (result != 0)
        return result;
    return ReplyHoldsRecord(reply.count, recordSize, reportErrors, operationName) ? 0 : 1;
}

int RequestLayer::RequestBlock(uint16_t objectCode, uint16_t length, uint32_t offset,
                               ReplyData &reply, int reportErrors, const QString &operationName)
{
    reply = ReplyData();
    putHead(CmdBlock, objectCode);
    putU16(channel_.txBuffer + packet::kCountAt, length);
    putU32(channel_.txBuffer + packet::kBlockOffsetAt, offset);
    const int result =
        TransactRequest(packet::kBlockDataAt, reply.count, reportErrors, operationName);
    if (result == 0)
        takeData(channel_.rxBuffer, reply.count, packet::kBlockDataAt, reply);
    return result;
}

int RequestLayer::RequestWrite(uint16_t objectCode, const uint8_t *data, uint16_t length,
                               int reportErrors, const QString &operationName)
{
    if (length > kLinkBufferSize - kHeadLength || (length > 0 && !data))
        return refuseTooLong(reportErrors, operationName);
    putHead(CmdWrite, objectCode);
    putU16(channel_.txBuffer + packet::kCountAt, length);
    if (length > 0)
        std::memcpy(channel_.txBuffer + kHeadLength, data, length);
    uint16_t replyLength = 0;
    return TransactRequest(uint16_t(kHeadLength + length), replyLength, reportErrors,
                           operationName);
}

} // namespace vestan
