#include "journal/transferrun.h"

#include "app/programstate.h"
#include "journal/copyormove.h"
#include "journal/elapsed.h"
#include "journal/filedialogs.h"
#include "journal/portionloop.h"
#include "journal/progresspanel.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace vestan {

TransferRun::TransferRun(ProgramState &state, ProgressPanel &progress)
    : state_(state), progress_(progress)
{}

TransferRun::~TransferRun()
{
    if (!started_)
        return;
    state_.channel.running = 0;
    progress_.hide();
    refresh();
}

bool TransferRun::start()
{
    if (state_.channel.running != 0)
        return false;
    state_.channel.running = 1;
    started_ = true;
    progress_.StTLJurInfo->setText(QStringLiteral(" "));
    progress_.StTLJurTm->setText(QStringLiteral(" "));
    progress_.ProgressBJurLnk->setValue(0);
    progress_.show();
    refresh();
    startTick_ = state_.host.tickCount();
    return true;
}

bool TransferRun::running() const
{
    return state_.channel.running != 0;
}

bool TransferRun::prepareTempFile()
{
    TempFile &temp = state_.tempFile;
    // A file kept from an earlier transfer is registered but closed: it is
    // made anew under the same name rather than left without a handle.
    if (!temp.isRegistered() || !temp.isOpen())
        temp.CreateTempFile();
    if (!temp.isRegistered())
        return false;
    writeOk = true;
    return true;
}

void TransferRun::setProgressRange(uint64_t total)
{
    const uint64_t portion = std::max<uint16_t>(state_.session.portionSize, 1);
    uint64_t portions = total / portion + (total % portion != 0 ? 1 : 0);
    progress_.setPortions(int(std::clamp<uint64_t>(portions, 1, INT32_MAX)));
    progress_.show();
}

void TransferRun::readObject(uint16_t objectCode, uint32_t size, const QString &operationName,
                             const std::function<QString(uint32_t)> &progressText)
{
    if (error == 0) {
        PortionHooks hooks;
        hooks.afterReply = [&](uint32_t offsetAfter, uint16_t) {
            progress_.StTLJurInfo->setText(progressText(offsetAfter));
            progress_.StTLJurTm->setText(FormatElapsed(state_.host.tickCount() - startTick_));
            progress_.stepIt();
        };
        // A failed write has shown its message and dropped the file; later
        // writes do nothing, but the portions are still read.
        hooks.consume = [&](const uint8_t *data, uint16_t count, uint32_t) {
            writeOk = state_.tempFile.WriteTempFile(data, count);
        };
        error = readPortions(state_, objectCode, size, operationName, hooks).error;
    }
    if (!running())
        error = 1;
}

void TransferRun::showInfo(const QString &text)
{
    progress_.StTLJurInfo->setText(text);
}

QString TransferRun::store(const QString &question, const QString &saveTitle,
                           const char *keepQuestion)
{
    Host &host = state_.host;
    const QString caption = state_.paths.programFileName;
    const int answer = host.messageBox(caption, question, kMbIconQuestion | kMbYesNo);
    if (answer != kIdYes && answer != kIdOk)
        return QString();
    QString chosen;
    if (!AskSaveFileName(state_, saveTitle, chosen, kFileNameCapacity))
        return QString();
    TempFile &temp = state_.tempFile;
    temp.CloseTempFile();
    if (CopyOrMoveFile(state_, kCopyFile, temp.TempFileName(), chosen)) {
        state_.recentFiles.AddRecentFile(chosen);
        state_.session.lastJournalFile = chosen;
        return chosen;
    }
    const int keep = host.messageBox(
        caption, QString::asprintf(keepQuestion, qUtf8Printable(temp.TempFileName())),
        kMbIconExclamation | kMbYesNo);
    deleteTemp = keep == kIdYes || keep == kIdOk;
    return QString();
}

void TransferRun::dropTempFile()
{
    if (deleteTemp)
        state_.tempFile.DeleteTempFile();
}

void TransferRun::refresh()
{
    if (state_.linkStatus)
        state_.linkStatus->RefreshLinkStatus();
}

} // namespace vestan
