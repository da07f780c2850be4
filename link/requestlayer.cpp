#include "link/requestlayer.h"

#include "platform/codepage.h"

#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace vestan {
namespace {

constexpr int kHeadLength = 6; // net, command, object code, length

// The data count a reply claims, but never more than the bytes that arrived:
// a reply that claims more would hand stale buffer bytes on as data.
uint16_t claimedCount(const uint8_t *reply, uint16_t replyLength, int dataOffset)
{
    const uint16_t claimed = qFromLittleEndian<uint16_t>(reply + 4);
    const int arrived = std::max(0, int(replyLength) - dataOffset);
    return uint16_t(std::min<int>(claimed, arrived));
}

} // namespace

RequestLayer::RequestLayer(LinkChannel &channel, const LinkApi &api, Host &host)
    : channel_(channel), api_(api), host_(host)
{}

int RequestLayer::TransactRequest(uint16_t requestLength, uint16_t &replyLength, int reportErrors,
                                  const QString &operationName)
{
    if (requestLength > kLinkBufferSize) {
        bool retry = false;
        if (reportErrors)
            report(kErrRequestTooLong, true, retry, operationName);
        return kErrRequestTooLong;
    }
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
        if (!reportErrors || closing_)
            return result;
        bool retry = false;
        report(result, final, retry, operationName);
        if (!retry)
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

void RequestLayer::report(int result, bool final, bool &retry, const QString &operationName)
{
    const QString caption = this->caption(operationName);
    const QString libraryText = fromCp1251(api_._trvCL_fErr2str(result));
    QString text = QString::asprintf("COM%u: [Ош=%i] \"%s\"", unsigned(channel_.portIndex + 1),
                                     result, qUtf8Printable(libraryText));
    if (final) {
        host_.messageBox(caption, text, kMbIconStop | kMbOk);
        retry = false;
        return;
    }
    text += "\nПовторить операцию?";
    retry = host_.messageBox(caption, text, kMbIconQuestion | kMbYesNo) == kIdYes;
}

void RequestLayer::putHead(uint8_t command, uint16_t objectCode)
{
    channel_.txBuffer[0] = channel_.netNumber;
    channel_.txBuffer[1] = command;
    qToLittleEndian<uint16_t>(objectCode, channel_.txBuffer + 2);
}

int RequestLayer::RequestSize(uint16_t objectCode, uint32_t &value, int reportErrors,
                              const QString &operationName)
{
    value = 0;
    putHead(1, objectCode);
    uint16_t replyLength = 0;
    const int result = TransactRequest(4, replyLength, reportErrors, operationName);
    if (result == 0)
        value = qFromLittleEndian<uint32_t>(channel_.rxBuffer + 4);
    return result;
}

int RequestLayer::RequestQuery(uint16_t objectCode, uint16_t length, const uint8_t *argument,
                               uint16_t &count, uint16_t &dataOffset, int reportErrors,
                               const QString &operationName)
{
    count = 0;
    dataOffset = 0;
    uint16_t packetLength = kHeadLength;
    if (argument) {
        if (length > kLinkBufferSize - kHeadLength) {
            bool retry = false;
            if (reportErrors)
                report(kErrRequestTooLong, true, retry, operationName);
            return kErrRequestTooLong;
        }
        packetLength = uint16_t(kHeadLength + length);
    }
    putHead(2, objectCode);
    qToLittleEndian<uint16_t>(length, channel_.txBuffer + 4);
    dataOffset = kHeadLength;
    if (argument)
        std::memcpy(channel_.txBuffer + kHeadLength, argument, length);
    const int result = TransactRequest(packetLength, count, reportErrors, operationName);
    if (result == 0)
        count = claimedCount(channel_.rxBuffer, count, dataOffset);
    return result;
}

int RequestLayer::RequestBlock(uint16_t objectCode, uint16_t length, uint32_t offset,
                               uint16_t &count, uint16_t &dataOffset, int reportErrors,
                               const QString &operationName)
{
    count = 0;
    dataOffset = 0;
    putHead(3, objectCode);
    qToLittleEndian<uint16_t>(length, channel_.txBuffer + 4);
    qToLittleEndian<uint32_t>(offset, channel_.txBuffer + 6);
    dataOffset = 10;
    const int result = TransactRequest(10, count, reportErrors, operationName);
    if (result == 0)
        count = claimedCount(channel_.rxBuffer, count, dataOffset);
    return result;
}

int RequestLayer::RequestWrite(uint16_t objectCode, const uint8_t *data, uint16_t length,
                               int reportErrors, const QString &operationName)
{
    if (length > kLinkBufferSize - kHeadLength || (length > 0 && !data)) {
        bool retry = false;
        if (reportErrors)
            report(kErrRequestTooLong, true, retry, operationName);
        return kErrRequestTooLong;
    }
    putHead(4, objectCode);
    qToLittleEndian<uint16_t>(length, channel_.txBuffer + 4);
    if (length > 0)
        std::memcpy(channel_.txBuffer + kHeadLength, data, length);
    uint16_t replyLength = 0;
    return TransactRequest(uint16_t(kHeadLength + length), replyLength, reportErrors,
                           operationName);
}

} // namespace vestan
