// bench_download: one journal download the way the program does it (the
// journal page's SBtnJurLink handler over the program state, the real
// trvCLNK.so, trvsim, linesim between when the line is paced or faulty). It
// answers the questions itself, checks the stored file against trvsim's dump
// byte for byte and prints its figures as one line of JSON.

#include "journal/journalpage.h"
#include "journal/progresspanel.h"
#include "journal/recentfiles.h"
#include "session/linkloader.h"
#include "session/session.h"
#include "tests/support/linerig.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <sys/resource.h>

using namespace vestan;
using namespace vestan::test;

namespace {

struct Usage
{
    double cpuSeconds = 0;
    long maxRssKiB = 0;
};

// Of this process, or with RUSAGE_CHILDREN of its children that are gone.
Usage usageNow(int who = RUSAGE_SELF)
{
    rusage r{};
    getrusage(who, &r);
    return {double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
                double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6,
            r.ru_maxrss};
}

int fail(const QString &why)
{
    std::fprintf(stderr, "bench_download: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("One journal download, measured."));
    parser.addHelpOption();
    const auto option = [&](const char *name, const char *help, const char *value) {
        QCommandLineOption o(QString::fromLatin1(name), QString::fromLatin1(help),
                             QStringLiteral("value"), QString::fromLatin1(value));
        parser.addOption(o);
        return o;
    };
    const auto records = option("records", "journal records", "4096");
    const auto recordSize = option("record-size", "bytes per record", "64");
    const auto portion = option("portion", "portion size", "1024");
    const auto baud = option("baud", "line speed (linesim and trvCLNK.ini); 0 unpaced", "115200");
    const auto latency = option("latency-ms", "one-way delay of linesim", "0");
    const auto drop = option("drop", "linesim --drop probability", "0");
    const auto corrupt = option("corrupt", "linesim --corrupt probability", "0");
    const auto seed = option("seed", "linesim seed", "1");
    const auto replyTimeout = option("reply-timeout-ms", "trvCLNK.ini ReplyTimeoutMs", "1000");
    const auto interByte = option("inter-byte-ms", "trvCLNK.ini InterByteTimeoutMs", "0");
    const auto server =
        option("server", "ser2net in front of the line: none, raw or rfc2217", "none");
    const QCommandLineOption direct(
        QStringLiteral("direct"), QStringLiteral("trvsim on its own pseudo-terminal, no linesim"));
    parser.addOption(direct);
    const QCommandLineOption noReadAhead(QStringLiteral("no-read-ahead"),
                                         QStringLiteral("ReadAhead=0 in trvCLNK.ini"));
    parser.addOption(noReadAhead);
    const QCommandLineOption noise(QStringLiteral("noise-burst"),
                                   QStringLiteral("linesim --noise-burst"));
    parser.addOption(noise);
    parser.process(app);

    const uint32_t lineBaud = parser.isSet(direct) ? 0 : parser.value(baud).toUInt();
    LineSetup setup;
    setup.simArguments = {QStringLiteral("--records"), parser.value(records),
                          QStringLiteral("--record-size"), parser.value(recordSize)};
    setup.throughLineSim = !parser.isSet(direct);
    setup.lineArguments = {QStringLiteral("--baud"),       QString::number(lineBaud),
                           QStringLiteral("--latency-ms"), parser.value(latency),
                           QStringLiteral("--seed"),       parser.value(seed)};
    if (parser.value(drop).toDouble() > 0)
        setup.lineArguments << QStringLiteral("--drop") << parser.value(drop);
    if (parser.value(corrupt).toDouble() > 0)
        setup.lineArguments << QStringLiteral("--corrupt") << parser.value(corrupt);
    if (parser.isSet(noise))
        setup.lineArguments << QStringLiteral("--noise-burst");
    // The library times its replies by the configured speed; unpaced lines
    // are fast, so the common 115200 gives it generous time-outs there.
    setup.baud = lineBaud > 0 ? lineBaud : 115200;
    setup.replyTimeoutMs = parser.value(replyTimeout).toInt();
    setup.interByteTimeoutMs = parser.value(interByte).toInt();
    setup.readAhead = !parser.isSet(noReadAhead);
    if (parser.value(server) == QLatin1String("raw"))
        setup.server = LineSetup::Server::Raw;
    else if (parser.value(server) == QLatin1String("rfc2217"))
        setup.server = LineSetup::Server::ComPortControl;
    else if (parser.value(server) != QLatin1String("none"))
        return fail(QStringLiteral("--server takes none, raw or rfc2217"));

    LineRig line(setup);
    if (!line.ready())
        return fail(line.failure());
    const QString tmp = line.path(QStringLiteral("tmp"));
    QDir().mkpath(tmp);
    qputenv("TMPDIR", QFile::encodeName(tmp));

    AutoHost host;
    host.realTime = true;
    host.path = line.path(QStringLiteral("vestan"));
    host.savePath = line.path(QStringLiteral("journal.dat"));
    // A line that stays bad longer than ten attempts is asked through a few
    // times; a controller that is gone is not waited for.
    host.retryAnswer = kIdYes;
    host.onRetryQuestion = [&] {
        if (host.retryQuestions > 5 || !line.simulatorRunning())
            host.retryAnswer = kIdNo;
    };

    Session state(host);
    RecentFiles recentFiles;
    state.paths = programPathsOf(host.path);
    if (const int32_t bound = StartLinkLibrary(state, LineRig::bindRealLibrary); bound != 0)
        return fail(QStringLiteral("trvCLNK.so did not bind (%1)").arg(bound));
    if (const int32_t opened = line.openLink(state); opened < 0)
        return fail(QStringLiteral("open failed (%1)").arg(opened));
    state.session.portionSize = uint16_t(parser.value(portion).toUInt());

    Usage before;
    Usage asked;
    Usage after;
    qint64 elapsedNs = 0;
    qint64 askedNs = -1;
    QElapsedTimer clock;
    // Everything has arrived in the temporary file when the storing question
    // comes; what follows is the copy to the user's file (synced to disk).
    host.onMessageBox = [&](const RecordedBox &box) {
        if (askedNs < 0 && box.text.startsWith(QStringLiteral("Записать"))) {
            askedNs = clock.nsecsElapsed();
            asked = usageNow();
        }
    };
    {
        QWidget window;
        ProgressPanel progress(&window);
        JournalPage page(state, recentFiles, progress, &window);
        before = usageNow();
        clock.start();
        page.SBtnJurLinkClick();
        elapsedNs = clock.nsecsElapsed();
        after = usageNow();
    }
    if (askedNs < 0)
        return fail(QStringLiteral("the storing question was never asked"));
    // The library's own account of the line: requests, failed attempts, late frames.
    const QMap<QString, QString> link =
        readStatisticsDialog([&] { state.api._trvCL_fDlgSetup(2, state.channel.portIndex); });
    if (qEnvironmentVariableIsSet("BENCH_STATS"))
        for (auto it = link.begin(); it != link.end(); ++it)
            std::fprintf(stderr, "%s: %s\n", qPrintable(it.key()), qPrintable(it.value()));
    state.api._trvCL_fClose(state.channel.portIndex);
    recentFiles.attach(nullptr);

    if (!line.simulatorRunning())
        return fail(QStringLiteral("trvsim ended: ") + line.simulatorErrors());
    const QString expected = line.dumpFile(QStringLiteral("journal.dat"));
    if (const QString difference = compareFiles(host.savePath, expected); !difference.isEmpty())
        return fail(QStringLiteral("stored journal differs from the dump: ") + difference);
    const QMap<QString, qint64> lineStats = line.stopLineSim();
    // What the simulator (and linesim) spent, once they are gone and reaped.
    line.killSimulator();
    const double childCpu = usageNow(RUSAGE_CHILDREN).cpuSeconds;

    const qint64 bytes = QFileInfo(host.savePath).size();
    const double mib = double(bytes) / 1048576.0;
    const double seconds = double(elapsedNs) / 1e9;
    const double transferSeconds = double(askedNs) / 1e9;
    const double transferCpu = asked.cpuSeconds - before.cpuSeconds;
    const double byteRate = lineBaud / 10.0;
    std::printf("{\"bytes\": %lld, \"seconds\": %.6f, \"efficiency\": %.6f, "
                "\"transfer_seconds\": %.6f, \"transfer_mib_s\": %.6f, \"mib_s\": %.6f, "
                "\"cpu_s\": %.6f, \"cpu_s_per_mib\": %.6f, \"maxrss_kib\": %ld, "
                "\"retry_questions\": %d, \"dropped\": %lld, \"portion\": %u, \"baud\": %u, "
                "\"requests\": %lld, \"failed_attempts\": %lld, \"late_frames\": %lld, "
                "\"line_cpu_s\": %.6f}\n",
                (long long)bytes, seconds, byteRate > 0 ? double(bytes) / seconds / byteRate : 0.0,
                transferSeconds, mib / transferSeconds, mib / seconds, transferCpu,
                transferCpu / mib, after.maxRssKiB, host.retryQuestions,
                (long long)(lineStats.value(QStringLiteral("a_to_b.dropped")) +
                            lineStats.value(QStringLiteral("b_to_a.dropped"))),
                unsigned(state.session.portionSize), lineBaud,
                link.value(QStringLiteral("Запросов")).toLongLong(),
                link.value(QStringLiteral("Неудачных попыток всего")).toLongLong(),
                link.value(QStringLiteral("Запоздалых кадров")).toLongLong(), childCpu);
    return 0;
}
