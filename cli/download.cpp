#include "cli/download.h"

#include "cli/clihost.h"
#include "platform/terminal.h"
#include "session/copyormove.h"
#include "session/session.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>

namespace vestan {
namespace {

QString checkName(const QString &part)
{
    return part + QStringLiteral(".json");
}

QJsonArray pieceSizes(const QList<TransferPiece> &pieces)
{
    QJsonArray sizes;
    for (const TransferPiece &p : pieces)
        sizes.append(QJsonObject{{QStringLiteral("object"), int(p.object)},
                                 {QStringLiteral("size"), qint64(p.size)}});
    return sizes;
}

QString sha256Of(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

void say(const QString &file, const QString &text)
{
    writeText(stderr, QDir::toNativeSeparators(file) + QStringLiteral(": ") + text + u'\n');
}

} // namespace

QString CliDownload::loadPartial(const QString &part, int net, const QList<TransferPiece> &pieces,
                                 QByteArray &kept) const
{
    QFile check(checkName(part));
    if (!check.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 is missing").arg(QFileInfo(check.fileName()).fileName());
    const QJsonObject c = QJsonDocument::fromJson(check.read(64 * 1024)).object();
    if (c.value(QStringLiteral("net")).toInt() != net)
        return QStringLiteral("it is from network number %1")
            .arg(c.value(QStringLiteral("net")).toInt());
    if (c.value(QStringLiteral("pieces")).toArray() != pieceSizes(pieces))
        return QStringLiteral("the controller's sizes are not those of the partial file");
    QFile file(part);
    const qint64 bytes = c.value(QStringLiteral("bytes")).toInteger(-1);
    if (!file.open(QIODevice::ReadOnly) || file.size() != bytes)
        return QStringLiteral("its length is not the one recorded");
    if (uint64_t(bytes) >= totalSize(pieces))
        return QStringLiteral("it is longer than the download");
    kept = file.readAll();
    if (kept.size() != bytes || c.value(QStringLiteral("sha256")).toString() != sha256Of(part))
        return QStringLiteral("its bytes are not the ones recorded");
    return QString();
}

// A question answered Yes beforehand (--force, --size standard) is what the
// user asked for: printing it would look like a question left open.
bool CliQuestions::replace(const Question &question, const QString &)
{
    if (!replaceExisting)
        host_.messageBox(question.caption, question.text, question.style);
    return replaceExisting;
}

bool CliQuestions::deleteTemporary(const QString &temporaryFile)
{
    say(temporaryFile, QStringLiteral("holds the whole download; copy it elsewhere before the "
                                      "next run"));
    return false;
}

FlashSizeAnswer CliQuestions::strangeFlashSize(const Question &question)
{
    if (flashSize != FlashSizeAnswer::Standard)
        host_.messageBox(question.caption, question.text, question.style);
    return flashSize;
}

bool CliDownload::keepPartial(const QString &part, int net, const QList<TransferPiece> &pieces,
                              uint64_t bytes)
{
    TempFile &temp = state_.tempFile;
    temp.CloseTempFile();
    CliQuestions questions(host_);
    questions.replaceExisting = true; // an older partial file of this target gives way
    if (!CopyOrMoveFile(state_, kCopyFile, temp.TempFileName(), part, questions))
        return false;
    const QJsonObject c{{QStringLiteral("net"), net},
                        {QStringLiteral("pieces"), pieceSizes(pieces)},
                        {QStringLiteral("bytes"), qint64(bytes)},
                        {QStringLiteral("sha256"), sha256Of(part)}};
    QSaveFile check(checkName(part));
    if (check.open(QIODevice::WriteOnly) && check.write(QJsonDocument(c).toJson()) >= 0 &&
        check.commit())
        return true;
    say(check.fileName(), QStringLiteral("cannot be written: %1").arg(check.errorString()));
    QFile::remove(part);
    return false;
}

bool CliDownload::accept(int index, const uint8_t *data, uint16_t count, uint32_t offset)
{
    // Only the first piece is read again where the partial file holds it.
    if (index != 0 || offset >= uint64_t(kept_.size()))
        return true;
    const uint64_t same = std::min<uint64_t>(count, kept_.size() - offset);
    return std::equal(data, data + same,
                      reinterpret_cast<const uint8_t *>(kept_.constData()) + offset);
}

void CliDownload::written(uint64_t done, uint64_t fetched)
{
    if (!terminal_)
        return;
    const double seconds = (host_.tickCount() - startTick_) / 1000.0;
    const double rate = seconds > 0 ? fetched / seconds : 0;
    writeText(stderr, QString::asprintf("\r%d: %llu / %llu bytes, %.0f B/s, %.0f s left   ", net_,
                                        (unsigned long long)done, (unsigned long long)total_, rate,
                                        rate > 0 ? (total_ - done) / rate : 0.0));
    host_.progressShown = true;
}

DownloadOutcome CliDownload::run(int net, const QString &target, const QString &part,
                                 const QList<TransferPiece> &pieces)
{
    DownloadOutcome outcome;
    const QFileInfo existing(target);
    if ((existing.exists() || existing.isSymLink()) && !force) {
        say(target, QStringLiteral("exists; --force replaces it"));
        return outcome;
    }
    kept_.clear();
    if (resume && QFileInfo::exists(part)) {
        const QString why = loadPartial(part, net, pieces, kept_);
        if (!why.isEmpty()) {
            say(part, why + QStringLiteral("; not continued (remove it to start anew)"));
            return outcome;
        }
    }
    CliQuestions questions(host_);
    questions.target = target;
    // The replace question: a file that appeared during the download is
    // no more replaced without --force than one that was there before.
    questions.replaceExisting = force;
    ObjectTransfer transfer(state_, questions, *this);
    if (!transfer.prepare())
        return outcome;

    net_ = net;
    total_ = totalSize(pieces);
    terminal_ = isTerminal(stderr);
    startTick_ = host_.tickCount();
    transfer.fetch(pieces, kept_);
    host_.endProgressLine();
    state_.tempFile.CloseTempFile();
    if (transfer.complete()) {
        outcome.stored = !transfer.store().isEmpty();
        if (!outcome.stored) {
            // Never thrown away: the whole download waits in the temporary file.
            outcome.keptInTemporaryFile = true;
            return outcome;
        }
        QFile::remove(part);
        QFile::remove(checkName(part));
        outcome.continuedAt = kept_.size();
    } else if (transfer.refused()) {
        say(part, QStringLiteral("the controller's journal header is not the one of the partial "
                                 "file; not continued (remove it to start anew)"));
    } else if (resumable && transfer.writeOk() && transfer.inFile() > uint64_t(kept_.size())) {
        // Only a partial file that grew replaces the one it was continued from.
        if (keepPartial(part, net, pieces, transfer.inFile())) {
            outcome.partial = part;
            say(part, QStringLiteral("%1 of %2 bytes kept; --continue fetches the rest")
                          .arg(transfer.inFile())
                          .arg(total_));
        }
    }
    transfer.finish();
    return outcome;
}

} // namespace vestan
