#include "info/controllerinfo.h"

#include "info/infotexts.h"
#include "maker/tarvel/tarvel.h"
#include "platform/codepage.h"
#include "session/portionloop.h"
#include "session/session.h"

#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace vestan {
namespace {

constexpr uint32_t kHeaderSpare = 16;

} // namespace

QString readPowerReadings(Session &state)
{
    ReplyData reply;
    if (state.requests.RequestRecord(ObjPower, kPowerReadingsSize, nullptr, reply, 1,
                                     QStringLiteral("Получить данные по питанию")) != 0)
        return QString();
    return formatPowerReadings(reply.data.data());
}

std::unique_ptr<uint8_t[]> ControllerInfo::allocateHeader(uint32_t size)
{
    // The check takes a 32-bit signed size, so a larger header could never be checked;
    // this also keeps size + 16 inside 32 bits.
    if (size > uint32_t(std::numeric_limits<int32_t>::max()) - kHeaderSpare)
        return nullptr;
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size + kHeaderSpare]);
}

int ControllerInfo::read()
{
    headerRead_ = false;
    uint32_t headerSize = 0;
    int result = state_.requests.RequestSize(ObjJournalHeader, headerSize, 1,
                                             QStringLiteral("Чтение размера заголовка журнала"));
    std::unique_ptr<uint8_t[]> raw;
    if (result == 0) {
        raw = allocateHeader(headerSize);
        if (!raw) {
            state_.host.messageBox(QStringLiteral("Vestan"),
                                   QStringLiteral("Не могу выделить память\nпод заголовок журнала"),
                                   kMbIconStop | kMbOk);
            return 1;
        }
    }
    if (result != 0)
        return result;
    sink_.clear();
    result = readHandlerVersion();
    if (result == 0)
        result = readHeader(raw.get(), headerSize, headerRead_);
    if (headerRead_)
        showHeader(raw.get(), headerSize);
    return result;
}

int ControllerInfo::readHandlerVersion()
{
    ReplyData reply;
    // A shorter answer would leave stale bytes in the version: no such object either.
    const int result =
        state_.requests.RequestRecord(ObjHandlerVersion, kHandlerVersionSize, nullptr, reply, 0,
                                      QStringLiteral("Чтение версии обработчика запросов"));
    if (result == 0)
        sink_.handlerVersion(formatHandlerVersion(reply.data.data()));
    else
        sink_.handlerVersion(QStringLiteral("Очень старая версия."));
    return result;
}

int ControllerInfo::readHeader(uint8_t *raw, uint32_t size, bool &complete)
{
    PortionHooks hooks;
    hooks.beforeRequest = [this](uint32_t, uint16_t) { sink_.portion(); };
    hooks.consume = [raw](const uint8_t *data, uint16_t count, uint32_t offset) {
        std::memcpy(raw + offset, data, count);
    };
    const PortionResult read = readPortions(state_, ObjJournalHeader, size,
                                            QStringLiteral("Чтение заголовка журнала"), hooks);
    // A stop between portions is no failure, but the header is then incomplete.
    complete = read.error == 0 && read.offset == size;
    return read.error;
}

void ControllerInfo::showHeader(const uint8_t *raw, uint32_t size)
{
    std::vector<uint8_t> record(kJournalHeaderRecordSize, 0);
    const int32_t check = _tj_ChkHeadStart(raw, int32_t(size), record.data());
    QStringList lines;
    // The library zeroes the record of a header it refuses; say why above the summary.
    if (check != 0)
        lines << fromCp1251(_tj_Err2str(check));
    lines << journalHeaderSummary(record.data());
    sink_.header(controllerVersionText(record.data()), lines);
}

} // namespace vestan
