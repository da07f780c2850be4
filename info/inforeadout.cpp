#include "info/inforeadout.h"

#include "app/programstate.h"
#include "info/infotexts.h"
#include "info/lamplist.h"
#include "journal/portionloop.h"
#include "link/runningflag.h"
#include "maker/tarvel/tarvel.h"
#include "platform/codepage.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace vestan {
namespace {

constexpr uint32_t kHeaderSpare = 16;

} // namespace

InfoReadout::InfoReadout(ProgramState &state, const InfoReadoutControls &controls)
    : state_(state), controls_(controls)
{}

std::unique_ptr<uint8_t[]> InfoReadout::allocateHeader(uint32_t size)
{
    // The check takes a 32-bit signed size, so a larger header could never be checked;
    // this also keeps size + 16 inside 32 bits.
    if (size > uint32_t(std::numeric_limits<int32_t>::max()) - kHeaderSpare)
        return nullptr;
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size + kHeaderSpare]);
}

void InfoReadout::BtnI1Click()
{
    LinkChannel &channel = state_.channel;
    if (channel.running != 0)
        return;
    const RunningFlag running(channel, state_.linkStatus);
    controls_.readButton->setEnabled(false);
    // The button comes back on every way out.
    const auto done = qScopeGuard([&] { controls_.readButton->setEnabled(true); });
    controls_.lamp->showImage(LampList::Grey);

    uint32_t headerSize = 0;
    int result = state_.requests.RequestSize(ObjJournalHeader, headerSize, 1,
                                             QStringLiteral("Чтение размера заголовка журнала"));
    std::unique_ptr<uint8_t[]> raw;
    if (result == 0) {
        raw = allocateHeader(headerSize);
        if (!raw) {
            result = 1;
            state_.host.messageBox(QStringLiteral("Vestan"),
                                   QStringLiteral("Не могу выделить память\nпод заголовок журнала"),
                                   kMbIconStop | kMbOk);
        }
    }
    if (result == 0) {
        controls_.memo->clear();
        result = readHandlerVersion();
        bool complete = false;
        if (result == 0)
            result = readHeader(raw.get(), headerSize, complete);
        if (complete)
            showHeader(raw.get(), headerSize);
    }
    raw.reset();
    controls_.lamp->showImage(result != 0 ? LampList::Red : LampList::Green);
}

int InfoReadout::readHandlerVersion()
{
    uint16_t count = 0;
    uint16_t dataOffset = 0;
    int result = state_.requests.RequestQuery(ObjHandlerVersion, kHandlerVersionSize, nullptr,
                                              count, dataOffset, 0,
                                              QStringLiteral("Чтение версии обработчика запросов"));
    // A shorter answer would leave stale bytes in the version: no such object either.
    if (result == 0 && count < kHandlerVersionSize)
        result = 1;
    if (result == 0)
        controls_.verLink->setText(formatHandlerVersion(state_.channel.rxBuffer + dataOffset));
    else
        controls_.verLink->setText(QStringLiteral("Очень старая версия."));
    return result;
}

int InfoReadout::readHeader(uint8_t *raw, uint32_t size, bool &complete)
{
    bool yellowNext = false;
    PortionHooks hooks;
    hooks.beforeRequest = [&](uint32_t, uint16_t) {
        controls_.lamp->showImage(yellowNext ? LampList::Yellow : LampList::Green);
        yellowNext = !yellowNext;
    };
    hooks.consume = [raw](const uint8_t *data, uint16_t count, uint32_t offset) {
        std::memcpy(raw + offset, data, count);
    };
    const PortionResult read = readPortions(state_, ObjJournalHeader, size,
                                            QStringLiteral("Чтение заголовка журнала"), hooks);
    // A stop between portions is no failure, but the header is then incomplete.
    complete = read.error == 0 && read.offset == size;
    return read.error;
}

void InfoReadout::showHeader(const uint8_t *raw, uint32_t size)
{
    std::vector<uint8_t> record(kJournalHeaderRecordSize, 0);
    const int32_t check = _tj_ChkHeadStart(raw, int32_t(size), record.data());
    controls_.version->setText(controllerVersionText(record.data()));
    // The library zeroes the record of a header it refuses; say why above the summary.
    if (check != 0)
        controls_.memo->appendPlainText(fromCp1251(_tj_Err2str(check)));
    for (const QString &line : journalHeaderSummary(record.data()))
        controls_.memo->appendPlainText(line);
}

} // namespace vestan
