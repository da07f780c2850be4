// vestan-cli: the controller operations of the window from a terminal and
// from scripts, over one controller or several on one line.

#include "cli/clihost.h"
#include "cli/download.h"
#include "cli/options.h"
#include "clock/clockrequests.h"
#include "info/controllerinfo.h"
#include "info/infotexts.h"
#include "journal/journalsizes.h"
#include "platform/codepage.h"
#include "platform/serialports.h"
#include "platform/terminal.h"
#include "session/linkloader.h"
#include "session/linkopen.h"
#include "session/runningflag.h"
#include "session/session.h"
#include "session/settingsvalues.h"
#include "upload/imagesize.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <cstdio>

namespace vestan {
namespace {

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int sig)
{
    interrupted = 1;
    // A second Ctrl+C ends at once, also during an open or a dial that the
    // first one cannot stop.
    std::signal(sig, SIG_DFL);
}

// The window's settings give the defaults, so both talk to the same controller.
void readWindowSettings(CliOptions &o)
{
    const QString window = QCoreApplication::applicationDirPath() + QStringLiteral("/vestan");
    const SettingsValues v = readSettingsValues(settingsFilePath(window));
    o.portIndex = v.portIndex;
    o.nets = {v.netNumber};
    o.portion = v.portionSize();
    o.phone = v.phoneNumber;
}

// The readout's results, kept for the output.
struct InfoLines : ControllerInfoSink
{
    QString handler, version;
    QStringList summary;
    void handlerVersion(const QString &text) override { handler = text; }
    void header(const QString &v, const QStringList &l) override
    {
        version = v;
        summary = l;
    }
};

void print(const QString &text)
{
    writeText(stdout, text + u'\n');
}

class Cli
{
public:
    Cli(Session &state, CliHost &host, const CliOptions &o) : s_(state), host_(host), o_(o) {}

    int run()
    {
        if (o_.command == QLatin1String("ports"))
            return ports();
        if (StartLinkLibrary(s_) != 0)
            return kExitNoLibrary;
        s_.session.portionSize = o_.portion;
        if (!openLink())
            return kExitSomeFailed;
        int failed = 0;
        if (o_.command == QLatin1String("scan"))
            failed = scan();
        else
            for (const int net : o_.nets) {
                if (interrupted || keptInTemporaryFile_)
                    break;
                s_.channel.netNumber = uint8_t(net);
                failed += one(net) ? 0 : 1;
            }
        s_.api._trvCL_fClose(s_.channel.portIndex);
        if (o_.json)
            print(QString::fromUtf8(QJsonDocument(results_).toJson(QJsonDocument::Compact)));
        return failed > 0 || interrupted ? kExitSomeFailed : kExitDone;
    }

private:
    int ports()
    {
        QJsonArray list;
        for (const SerialPortEntry &p : serialPorts()) {
            list.append(p.path);
            if (!o_.json)
                print(p.path + QStringLiteral("  ") + p.description);
        }
        if (o_.json)
            print(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)));
        return kExitDone;
    }

    bool openLink()
    {
        const int32_t port = s_.channel.portIndex = o_.portIndex;
        s_.session.phoneNumber = o_.phone;
        const int32_t result = OpenLinkPort(s_, port);
        ReadLinkState(s_);
        if (result >= 0 && s_.channel.isOpen)
            return true;
        writeText(stderr, QStringLiteral("COM%1: %2\n")
                              .arg(port + 1)
                              .arg(fromCp1251(s_.api._trvCL_fErr2str(result))));
        return false;
    }

    // A size request with one attempt per number, then the handler version of
    // each that answered; no message for silence.
    int scan()
    {
        s_.requests.setAttempts(1);
        host_.quiet = true;
        // The number being asked stands on the terminal until the next one
        // or a result takes its place.
        const bool terminal = isTerminal(stderr);
        const auto clearNumber = [&] {
            if (terminal)
                writeText(stderr, QStringLiteral("\r    \r"));
        };
        for (const int net : o_.nets) {
            if (interrupted)
                break;
            if (terminal)
                writeText(stderr, QStringLiteral("\r%1 ").arg(net));
            s_.channel.netNumber = uint8_t(net);
            const RunningFlag running(s_);
            uint32_t size = 0;
            if (s_.requests.RequestSize(ObjJournalHeader, size, 0, QString()) != 0)
                continue;
            InfoLines sink;
            ControllerInfo(s_, sink).readHandlerVersion();
            if (o_.json)
                results_.append(QJsonObject{{QStringLiteral("net"), net},
                                            {QStringLiteral("handler"), sink.handler}});
            else {
                clearNumber();
                print(QStringLiteral("%1: %2").arg(net).arg(sink.handler));
            }
        }
        clearNumber();
        return 0;
    }

    // One controller: the command's lines, each printed after "net: ".
    bool one(int net)
    {
        QJsonObject r{{QStringLiteral("net"), net}};
        QStringList lines;
        const RunningFlag running(s_);
        const QString &c = o_.command;
        const bool ok = c == QLatin1String("power")   ? power(r, lines)
                        : c == QLatin1String("clock") ? clock(r, lines)
                        : c == QLatin1String("info")  ? info(r, lines)
                        : c == QLatin1String("find")  ? find(r, lines)
                        : c == QLatin1String("image") ? image(net, r, lines)
                                                      : journal(net, r, lines);
        r.insert(QStringLiteral("ok"), ok);
        if (!r.contains(QStringLiteral("text")) && !lines.isEmpty())
            r.insert(QStringLiteral("text"), lines.join(u'\n'));
        if (!o_.json)
            for (const QString &line : lines)
                print(QStringLiteral("%1: %2").arg(net).arg(line));
        results_.append(r);
        return ok;
    }

    bool power(QJsonObject &, QStringList &lines)
    {
        const QString text = readPowerReadings(s_);
        if (text.isEmpty())
            return false;
        lines << text;
        return true;
    }

    // Reads the clock, or sets it as the clock page's buttons do: "now" is
    // the computer's local time when the request goes out.
    bool clock(QJsonObject &r, QStringList &lines)
    {
        if (!o_.setClock) {
            CtlDateTime t;
            if (!readControllerClock(s_, t))
                return false;
            lines << formatControllerClock(t);
            return true;
        }
        JournalDateTime fields = o_.setTo;
        if (o_.setNow) {
            const QDateTime now = host_.localTime();
            fields = {uint16_t(now.date().year()),  uint8_t(now.date().month()),
                      uint8_t(now.date().day()),    uint8_t(now.time().hour()),
                      uint8_t(now.time().minute()), uint8_t(now.time().second())};
        }
        CtlDateTime sent;
        if (setControllerClock(s_, fields, &sent) != 0)
            return false;
        r.insert(QStringLiteral("set"), formatControllerClock(sent));
        lines << QStringLiteral("set %1").arg(formatControllerClock(sent));
        return true;
    }

    // The texts of the information page: the two version lines and the summary.
    bool info(QJsonObject &r, QStringList &lines)
    {
        InfoLines sink;
        ControllerInfo reader(s_, sink);
        const bool ok = reader.read() == 0 && reader.headerRead();
        if (!sink.handler.isEmpty())
            r.insert(QStringLiteral("handler"), sink.handler);
        if (!ok)
            return false;
        r.insert(QStringLiteral("version"), sink.version);
        r.insert(QStringLiteral("summary"), QJsonArray::fromStringList(sink.summary));
        lines << sink.version << sink.handler << sink.summary;
        return true;
    }

    // The record search of the clock page; "not found" is an answer too.
    bool find(QJsonObject &r, QStringList &lines)
    {
        const RecordSearchOutcome found = searchRecord(s_, o_.findStamp);
        r.insert(QStringLiteral("key"), found.keyText);
        r.insert(QStringLiteral("text"), found.resultText);
        if (!found.answered)
            return false;
        r.insert(QStringLiteral("record"), int(found.found.number));
        if (found.found.number != 0)
            r.insert(QStringLiteral("stamp"), recordStampText(found.found.stamp));
        lines << QStringLiteral("%1  %2").arg(found.found.number).arg(found.resultText);
        return true;
    }

    // Shown as the system writes paths (backslashes on Windows), in every
    // message and result that names it.
    QString target(int net, const QString &date) const
    {
        return QDir::toNativeSeparators(QFileInfo(o_.outputFor(net, date)).absoluteFilePath());
    }

    bool store(int net, const QList<TransferPiece> &pieces, bool resumable, QJsonObject &r,
               QStringList &lines, const QString &sizes)
    {
        CliDownload download(s_, host_);
        download.force = o_.force;
        download.resumable = resumable;
        download.resume = o_.resume;
        const QString file =
            target(net, host_.localTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        // Named without the date, so that a later run finds it to continue.
        const QString part = CliDownload::partialName(target(net, QString()));
        const DownloadOutcome outcome = download.run(net, file, part, pieces);
        keptInTemporaryFile_ = outcome.keptInTemporaryFile;
        if (!outcome.partial.isEmpty())
            r.insert(QStringLiteral("partial"), outcome.partial);
        if (!outcome.stored)
            return false;
        r.insert(QStringLiteral("file"), file);
        if (outcome.continuedAt > 0)
            r.insert(QStringLiteral("continuedAt"), qint64(outcome.continuedAt));
        lines << QStringLiteral("%1 (%2)").arg(file, sizes);
        return true;
    }

    // Header and data as the window's download, through the temporary file.
    bool journal(int net, QJsonObject &r, QStringList &lines)
    {
        JournalSizes sizes;
        sizes.headerOnly = o_.headerOnly;
        if (RequestJournalSizes(s_, sizes) != 0)
            return false;
        return store(net, journalPieces(sizes), true, r, lines, journalSizesText(sizes));
    }

    // The software image as the window's upload; a strange size is answered
    // by --size, and without it refused.
    bool image(int net, QJsonObject &r, QStringList &lines)
    {
        CliQuestions questions(host_);
        questions.flashSize = o_.flashSize == FlashSizeChoice::Standard ? FlashSizeAnswer::Standard
                              : o_.flashSize == FlashSizeChoice::Reported
                                  ? FlashSizeAnswer::Reported
                                  : FlashSizeAnswer::Refused;
        uint32_t imageSize = 0;
        const int result = RequestImageSize(s_, questions, imageSize);
        if (result == kFlashSizeRefused)
            writeText(stderr,
                      QStringLiteral("%1: --size standard or --size reported reads it\n").arg(net));
        if (result != 0)
            return false;
        return store(net, imagePieces(imageSize), false, r, lines,
                     QString::asprintf("FLASH %lu", ulong(imageSize)));
    }

    Session &s_;
    CliHost &host_;
    const CliOptions &o_;
    QJsonArray results_;
    // A finished download waits in the temporary file: no further transfer
    // may reuse that file.
    bool keptInTemporaryFile_ = false;
};

} // namespace
} // namespace vestan

int main(int argc, char **argv)
{
    using namespace vestan;
    QCoreApplication app(argc, argv);
    CliOptions options;
    readWindowSettings(options);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.value(0) == QLatin1String("--help") || args.value(0) == QLatin1String("-h")) {
        std::fputs(kCliUsage, stdout);
        return kExitDone;
    }
    if (args.value(0) == QLatin1String("--version")) {
        std::fputs("vestan-cli " VESTAN_VERSION "\n", stdout);
        return kExitDone;
    }
    const QString mistake = parseArguments(args, options);
    if (!mistake.isEmpty()) {
        writeText(stderr,
                  QStringLiteral("vestan-cli: ") + mistake + u'\n' + QString::fromUtf8(kCliUsage));
        return kExitUsage;
    }
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    CliHost host;
    Session state(host);
    // Ctrl+C acts as the window's stop button.
    host.onEvents = [&state] {
        if (interrupted)
            state.channel.running = 0;
    };
    state.paths = programPathsOf(host.programPath());
    return Cli(state, host, options).run();
}
