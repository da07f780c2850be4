#pragma once

#include "session/objecttransfer.h"
#include "session/transferquestions.h"

#include <QList>
#include <QString>
#include <cstdint>

namespace vestan {

struct Session;
class CliHost;

// The command line's answers to a transfer's questions, from its options:
// a question is shown as the line the window's box would hold, and answered
// at once.
class CliQuestions : public TransferQuestions
{
public:
    explicit CliQuestions(CliHost &host) : host_(host) {}

    QString target;               // where a whole transfer goes
    bool replaceExisting = false; // --force
    FlashSizeAnswer flashSize = FlashSizeAnswer::Refused;

    QString storeAs() override { return target; }
    bool replace(const Question &question, const QString &) override;
    // Never: the whole download waits in the temporary file, and says so.
    bool deleteTemporary(const QString &temporaryFile) override;
    FlashSizeAnswer strangeFlashSize(const Question &question) override;

private:
    CliHost &host_;
};

struct DownloadOutcome
{
    bool stored = false;
    QString partial;          // the partial file kept for --continue, if any
    uint64_t continuedAt = 0; // bytes taken from a partial file
    // The whole download stayed in the temporary file, as the copy to the
    // target failed: the next transfer would reuse that file.
    bool keptInTemporaryFile = false;
};

// The command line's download: the pieces one after another through the
// window's temporary file and portion loop, put in place as the target only
// when whole, and never over an existing file unless forced. A resumable
// download that breaks off keeps what arrived beside the target as
// "<target>.part" with "<target>.part.json" (sizes, length, checksum); a
// resumed one checks them and the controller's first piece (the journal
// header) against the partial file and fetches only the rest.
class CliDownload : private TransferObserver
{
public:
    CliDownload(Session &state, CliHost &host) : state_(state), host_(host) {}

    bool force = false;
    bool resumable = false;
    bool resume = false;

    // `part`: where a broken download is kept for --continue.
    DownloadOutcome run(int net, const QString &target, const QString &part,
                        const QList<TransferPiece> &pieces);

    static QString partialName(const QString &target) { return target + QStringLiteral(".part"); }

private:
    QString loadPartial(const QString &part, int net, const QList<TransferPiece> &pieces,
                        QByteArray &kept) const;
    bool keepPartial(const QString &part, int net, const QList<TransferPiece> &pieces,
                     uint64_t bytes);
    // The first piece read again must be the partial file's.
    bool accept(int index, const uint8_t *data, uint16_t count, uint32_t offset) override;
    // The progress line on a terminal.
    void written(uint64_t inFile, uint64_t fetched) override;

    Session &state_;
    CliHost &host_;
    uint32_t startTick_ = 0;
    int net_ = 0;
    uint64_t total_ = 0;
    QByteArray kept_;
    bool terminal_ = false;
};

} // namespace vestan
