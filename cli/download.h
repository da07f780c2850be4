#pragma once

#include <QList>
#include <QString>
#include <cstdint>

namespace vestan {

struct ProgramState;
class CliHost;

// One object of a download and its size as the controller reported it.
struct DownloadPiece
{
    uint16_t object = 0;
    uint32_t size = 0;
    QString operation; // the request layer's caption for its portions
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
class CliDownload
{
public:
    CliDownload(ProgramState &state, CliHost &host) : state_(state), host_(host) {}

    bool force = false;
    bool resumable = false;
    bool resume = false;

    // `part`: where a broken download is kept for --continue.
    DownloadOutcome run(int net, const QString &target, const QString &part,
                        const QList<DownloadPiece> &pieces);

    static QString partialName(const QString &target) { return target + QStringLiteral(".part"); }

private:
    QString loadPartial(const QString &part, int net, const QList<DownloadPiece> &pieces,
                        QByteArray &kept) const;
    bool keepPartial(const QString &part, int net, const QList<DownloadPiece> &pieces,
                     uint64_t bytes);
    void progress(int net, uint64_t done, uint64_t total, uint64_t fetched);

    ProgramState &state_;
    CliHost &host_;
    uint32_t startTick_ = 0;
};

} // namespace vestan
