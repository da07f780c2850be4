#include "cli/download.h"

#include "app/programstate.h"
#include "cli/clihost.h"
#include "journal/copyormove.h"
#include "journal/portionloop.h"
#include "platform/terminal.h"

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

QJsonArray pieceSizes(const QList<DownloadPiece> &pieces)
{
    QJsonArray sizes;
    for (const DownloadPiece &p : pieces)
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

QString CliDownload::loadPartial(const QString &part, int net, const QList<DownloadPiece> &pieces,
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
    uint64_t total = 0;
    for (const DownloadPiece &p : pieces)
        total += p.size;
    if (uint64_t(bytes) >= total)
        return QStringLiteral("it is longer than the download");
    kept = file.readAll();
    if (kept.size() != bytes || c.value(QStringLiteral("sha256")).toString() != sha256Of(part))
        return QStringLiteral("its bytes are not the ones recorded");
    return QString();
}

bool CliDownload::keepPartial(const QString &part, int net, const QList<DownloadPiece> &pieces,
                              uint64_t bytes)
{
    TempFile &temp = state_.tempFile;
    temp.CloseTempFile();
    host_.questionAnswer = kIdYes; // an older partial file of this target gives way
    const bool copied = CopyOrMoveFile(state_, kCopyFile, temp.TempFileName(), part);
    host_.questionAnswer = kIdNo;
    if (!copied)
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

void CliDownload::progress(int net, uint64_t done, uint64_t total, uint64_t fetched)
{
    const double seconds = (host_.tickCount() - startTick_) / 1000.0;
    const double rate = seconds > 0 ? fetched / seconds : 0;
    writeText(stderr, QString::asprintf("\r%d: %llu / %llu bytes, %.0f B/s, %.0f s left   ", net,
                                        (unsigned long long)done, (unsigned long long)total, rate,
                                        rate > 0 ? (total - done) / rate : 0.0));
    host_.progressShown = true;
}

DownloadOutcome CliDownload::run(int net, const QString &target, const QString &part,
                                 const QList<DownloadPiece> &pieces)
{
    DownloadOutcome outcome;
    const QFileInfo existing(target);
    if ((existing.exists() || existing.isSymLink()) && !force) {
        say(target, QStringLiteral("exists; --force replaces it"));
        return outcome;
    }
    QByteArray kept;
    if (resume && QFileInfo::exists(part)) {
        const QString why = loadPartial(part, net, pieces, kept);
        if (!why.isEmpty()) {
            say(part, why + QStringLiteral("; not continued (remove it to start anew)"));
            return outcome;
        }
    }
    TempFile &temp = state_.tempFile;
    temp.CreateTempFile();
    if (!temp.isRegistered())
        return outcome;

    uint64_t total = 0;
    for (const DownloadPiece &p : pieces)
        total += p.size;
    uint64_t done = 0;    // bytes in the temporary file
    uint64_t fetched = 0; // of them, bytes that came over the line
    bool written = true;
    bool differs = false;
    const bool terminal = isTerminal(stderr);
    startTick_ = host_.tickCount();
    const auto write = [&](const uint8_t *data, uint64_t count) {
        for (uint64_t at = 0; written && at < count;) {
            const uint16_t n = uint16_t(std::min<uint64_t>(count - at, 0xFFFF));
            written = temp.WriteTempFile(data + at, n);
            at += n;
        }
        done += written ? count : 0;
    };
    int error = 0;
    uint64_t start = 0; // where the piece begins in the file
    for (int i = 0;
         i < pieces.size() && error == 0 && written && !differs && state_.channel.running != 0;
         ++i) {
        const DownloadPiece &p = pieces[i];
        // The first piece is read again to check the partial file against;
        // of the others only what the partial file lacks.
        uint32_t from = 0;
        if (i > 0 && uint64_t(kept.size()) > start) {
            from = uint32_t(std::min<uint64_t>(kept.size() - start, p.size));
            write(reinterpret_cast<const uint8_t *>(kept.constData()) + start, from);
        }
        PortionHooks hooks;
        hooks.consume = [&](const uint8_t *data, uint16_t count, uint32_t offset) {
            const uint64_t at = start + offset;
            if (at < uint64_t(kept.size())) {
                const uint64_t same = std::min<uint64_t>(count, kept.size() - at);
                differs = differs ||
                          !std::equal(data, data + same,
                                      reinterpret_cast<const uint8_t *>(kept.constData()) + at);
            }
            if (differs) {
                state_.channel.running = 0;
                return;
            }
            write(data, count);
            fetched += count;
            if (terminal)
                progress(net, done, total, fetched);
        };
        error = readPortions(state_, p.object, p.size, p.operation, hooks, from).error;
        start += p.size;
    }
    host_.endProgressLine();
    temp.CloseTempFile();
    const bool complete = written && error == 0 && !differs && done == total;
    if (complete) {
        // The replace question: a file that appeared during the download is
        // no more replaced without --force than one that was there before.
        host_.questionAnswer = force ? kIdYes : kIdNo;
        outcome.stored = CopyOrMoveFile(state_, kCopyFile, temp.TempFileName(), target);
        host_.questionAnswer = kIdNo;
        if (!outcome.stored) {
            // Never thrown away: the whole download waits in the temporary file.
            say(temp.TempFileName(), QStringLiteral("holds the whole download; copy it "
                                                    "elsewhere before the next run"));
            outcome.keptInTemporaryFile = true;
            return outcome;
        }
        QFile::remove(part);
        QFile::remove(checkName(part));
        outcome.continuedAt = kept.size();
    } else if (differs) {
        say(part, QStringLiteral("the controller's journal header is not the one of the partial "
                                 "file; not continued (remove it to start anew)"));
    } else if (resumable && written && done > uint64_t(kept.size())) {
        // Only a partial file that grew replaces the one it was continued from.
        if (keepPartial(part, net, pieces, done)) {
            outcome.partial = part;
            say(part, QStringLiteral("%1 of %2 bytes kept; --continue fetches the rest")
                          .arg(done)
                          .arg(total));
        }
    }
    temp.DeleteTempFile();
    return outcome;
}

} // namespace vestan
