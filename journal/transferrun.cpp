#include "journal/transferrun.h"

#include "journal/elapsed.h"
#include "journal/filedialogs.h"
#include "journal/progresspanel.h"
#include "journal/recentfiles.h"
#include "session/session.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace vestan {

QString WindowQuestions::storeAs()
{
    const int answer = state_.host.messageBox(state_.paths.programFileName, texts_.question,
                                              kMbIconQuestion | kMbYesNo);
    if (answer != kIdYes && answer != kIdOk)
        return QString();
    QString chosen;
    if (!AskSaveFileName(state_.host, recent_, texts_.saveTitle, chosen, kFileNameCapacity))
        return QString();
    return chosen;
}

bool WindowQuestions::replace(const Question &question, const QString &)
{
    return state_.host.messageBox(question.caption, question.text, question.style) == kIdYes;
}

bool WindowQuestions::deleteTemporary(const QString &temporaryFile)
{
    const int answer = state_.host.messageBox(
        state_.paths.programFileName,
        QString::asprintf(texts_.keepQuestion, qUtf8Printable(temporaryFile)),
        kMbIconExclamation | kMbYesNo);
    return answer == kIdYes || answer == kIdOk;
}

FlashSizeAnswer WindowQuestions::strangeFlashSize(const Question &question)
{
    switch (state_.host.messageBox(question.caption, question.text, question.style)) {
    case kIdYes:
    case kIdOk:
        return FlashSizeAnswer::Standard;
    case kIdNo:
        return FlashSizeAnswer::Reported;
    default:
        return FlashSizeAnswer::Refused;
    }
}

TransferRun::TransferRun(Session &state, RecentFiles &recent, ProgressPanel &progress,
                         const StoreTexts &texts)
    : state_(state), recent_(recent), progress_(progress), questions_(state, recent, texts),
      transfer_(state, questions_, *this), running_(state, true)
{}

TransferRun::~TransferRun()
{
    if (running_.acquired())
        progress_.hide();
}

bool TransferRun::start()
{
    if (!running_.acquired())
        return false;
    progress_.StTLJurInfo->setText(QStringLiteral(" "));
    progress_.StTLJurTm->setText(QStringLiteral(" "));
    progress_.ProgressBJurLnk->setValue(0);
    progress_.show();
    startTick_ = state_.host.tickCount();
    return true;
}

bool TransferRun::running() const
{
    return state_.channel.running != 0;
}

void TransferRun::setProgressRange(uint64_t total)
{
    const uint64_t portion = std::max<uint16_t>(state_.session.portionSize, 1);
    uint64_t portions = total / portion + (total % portion != 0 ? 1 : 0);
    progress_.setPortions(int(std::clamp<uint64_t>(portions, 1, INT32_MAX)));
    progress_.show();
}

void TransferRun::fetch(const QList<TransferPiece> &pieces,
                        const std::function<QString(int, uint32_t)> &progressText)
{
    progressText_ = progressText;
    if (error == 0) {
        transfer_.fetch(pieces);
        error = transfer_.error;
    }
    if (!running())
        error = 1;
}

void TransferRun::replied(int index, uint32_t offsetAfter)
{
    progress_.StTLJurInfo->setText(progressText_(index, offsetAfter));
    progress_.StTLJurTm->setText(FormatElapsed(state_.host.tickCount() - startTick_));
    progress_.stepIt();
}

void TransferRun::showInfo(const QString &text)
{
    progress_.StTLJurInfo->setText(text);
}

QString TransferRun::store()
{
    const QString chosen = transfer_.store();
    if (!chosen.isEmpty()) {
        recent_.AddRecentFile(chosen);
        state_.session.lastJournalFile = chosen;
    }
    return chosen;
}

} // namespace vestan
