#include "tests/support/linerig.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vestan::test {
namespace {

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QJsonObject firstResult(const CliRun &run)
{
    return QJsonDocument::fromJson(run.out).array().first().toObject();
}

CliRun runCli(const LineRig &rig, const QStringList &arguments)
{
    QProcess cli;
    cli.setWorkingDirectory(rig.dir());
    // Every rig its own temporary transfer file: the tests run side by side.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), rig.dir());
    cli.setProcessEnvironment(environment);
    cli.start(vestanBuildDir() + QStringLiteral("/bin/vestan-cli"),
              QStringList(arguments) << QStringLiteral("--port") << QStringLiteral("COM2"));
    CliRun run;
    if (!cli.waitForFinished(120000)) {
        cli.kill();
        cli.waitForFinished();
        return run;
    }
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -2;
    run.out = cli.readAllStandardOutput();
    run.err = cli.readAllStandardError();
    return run;
}

LineSetup lineOfThree(bool throughLineSim)
{
    LineSetup setup;
    setup.simArguments = {QStringLiteral("--net"), QStringLiteral("3,7,33"),
                          QStringLiteral("--records"), QStringLiteral("300")};
    setup.throughLineSim = throughLineSim;
    setup.replyTimeoutMs = 150;
    return setup;
}

TEST(Cli, ScanFindsExactlyTheControllersOnTheLine)
{
    LineRig rig(lineOfThree(false));
    ASSERT_TRUE(rig.ready()) << qPrintable(rig.failure());
    const CliRun run = runCli(rig, {QStringLiteral("scan"), QStringLiteral("--net"),
                                    QStringLiteral("1-40"), QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonDocument json = QJsonDocument::fromJson(run.out);
    ASSERT_TRUE(json.isArray()) << run.out.constData();
    QList<int> found;
    for (const QJsonValue &v : json.array()) {
        found << v.toObject().value(QStringLiteral("net")).toInt();
        EXPECT_TRUE(v.toObject()
                        .value(QStringLiteral("handler"))
                        .toString()
                        .startsWith(QStringLiteral("Обработчик запросов по связи: Версия")))
            << run.out.constData();
    }
    EXPECT_EQ(found, (QList<int>{3, 7, 33}));
}

TEST(Cli, JournalsOfThreeControllersThroughTheLineMatchTheirDumps)
{
    LineRig rig(lineOfThree(true));
    ASSERT_TRUE(rig.ready()) << qPrintable(rig.failure());
    const QStringList args = {QStringLiteral("journal"), QStringLiteral("--net"),
                              QStringLiteral("3,7,33"), QStringLiteral("-o"),
                              QStringLiteral("j{net}.dat")};
    const CliRun run = runCli(rig, args);
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    for (const int net : {3, 7, 33}) {
        const QString stored = rig.path(QStringLiteral("j%1.dat").arg(net));
        EXPECT_EQ(compareFiles(stored, rig.dumpFile(QStringLiteral("%1/journal.dat").arg(net))),
                  QString());
    }
    // The controllers' journals differ, so a mix-up would show above.
    EXPECT_NE(QFileInfo(rig.path(QStringLiteral("j3.dat"))).size(),
              QFileInfo(rig.path(QStringLiteral("j7.dat"))).size());

    // A second run leaves the files alone unless told to replace them.
    QFile j7(rig.path(QStringLiteral("j7.dat")));
    ASSERT_TRUE(j7.open(QIODevice::WriteOnly | QIODevice::Truncate));
    j7.write("mine");
    j7.close();
    const CliRun again = runCli(rig, args);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(QFileInfo(j7.fileName()).size(), 4);
    const CliRun forced = runCli(rig, QStringList(args) << QStringLiteral("--force"));
    EXPECT_EQ(forced.exitCode, 0) << forced.err.constData();
    EXPECT_FALSE(forced.err.contains("Заменить")) << forced.err.constData();
    EXPECT_EQ(compareFiles(j7.fileName(), rig.dumpFile(QStringLiteral("7/journal.dat"))),
              QString());
}

TEST(Cli, ClockAndPowerAsJsonAndBadArgumentsAsOneLineAndUsage)
{
    LineRig rig(lineOfThree(false));
    ASSERT_TRUE(rig.ready()) << qPrintable(rig.failure());
    const CliRun power = runCli(rig, {QStringLiteral("power"), QStringLiteral("--net"),
                                      QStringLiteral("7,8"), QStringLiteral("--json")});
    EXPECT_EQ(power.exitCode, 1); // 8 is not on the line
    const QJsonArray results = QJsonDocument::fromJson(power.out).array();
    ASSERT_EQ(results.size(), 2) << power.out.constData();
    EXPECT_TRUE(results[0].toObject().value(QStringLiteral("ok")).toBool());
    EXPECT_TRUE(results[0]
                    .toObject()
                    .value(QStringLiteral("text"))
                    .toString()
                    .contains(QStringLiteral("230")));
    EXPECT_FALSE(results[1].toObject().value(QStringLiteral("ok")).toBool());

    const CliRun clock =
        runCli(rig, {QStringLiteral("clock"), QStringLiteral("--net"), QStringLiteral("33")});
    EXPECT_EQ(clock.exitCode, 0) << clock.err.constData();
    EXPECT_TRUE(clock.out.startsWith("33: ")) << clock.out.constData();

    const CliRun bad =
        runCli(rig, {QStringLiteral("journal"), QStringLiteral("--net"), QStringLiteral("0-300")});
    EXPECT_EQ(bad.exitCode, 2);
    const QList<QByteArray> lines = bad.err.split('\n');
    EXPECT_TRUE(lines.value(0).startsWith("vestan-cli: --net")) << bad.err.constData();
    EXPECT_TRUE(lines.value(1).startsWith("usage: vestan-cli")) << bad.err.constData();
}

TEST(Cli, InfoClockFindAndImageAsTheWindowsPagesDoThem)
{
    LineRig rig(lineOfThree(false));
    ASSERT_TRUE(rig.ready()) << qPrintable(rig.failure());
    const CliRun info = runCli(rig, {QStringLiteral("info"), QStringLiteral("--net"),
                                     QStringLiteral("7"), QStringLiteral("--json")});
    ASSERT_EQ(info.exitCode, 0) << info.err.constData();
    const QJsonObject seven = firstResult(info);
    EXPECT_TRUE(seven.value(QStringLiteral("handler"))
                    .toString()
                    .startsWith(QStringLiteral("Обработчик запросов по связи: Версия ")));
    const QStringList summary = seven.value(QStringLiteral("summary")).toVariant().toStringList();
    ASSERT_EQ(summary.size(), 11) << info.out.constData();
    EXPECT_TRUE(summary[8].startsWith(QStringLiteral("   Число записей")));
    const int records = summary[8].split(u' ', Qt::SkipEmptyParts).last().toInt();

    // The newest record is the last one the summary counts.
    const CliRun last =
        runCli(rig, {QStringLiteral("find"), QStringLiteral("last"), QStringLiteral("--net"),
                     QStringLiteral("7"), QStringLiteral("--json")});
    ASSERT_EQ(last.exitCode, 0) << last.err.constData();
    EXPECT_EQ(firstResult(last).value(QStringLiteral("record")).toInt(), records);
    const QString stamp = firstResult(last).value(QStringLiteral("stamp")).toString();
    EXPECT_TRUE(firstResult(last)
                    .value(QStringLiteral("text"))
                    .toString()
                    .startsWith(QStringLiteral("31.12.65535,  23:59:59,999 ->[Ok]-> ")));
    // Searching for that stamp finds the same record.
    const QStringList parts = stamp.split(QRegularExpression(QStringLiteral("[., :]+")));
    ASSERT_EQ(parts.size(), 7) << qPrintable(stamp);
    const QString key =
        QStringLiteral("%1-%2-%3 %4:%5:%6.%7")
            .arg(parts[2], parts[1], parts[0], parts[3], parts[4], parts[5], parts[6]);
    const CliRun found = runCli(rig, {QStringLiteral("find"), key, QStringLiteral("--net"),
                                      QStringLiteral("7"), QStringLiteral("--json")});
    EXPECT_EQ(firstResult(found).value(QStringLiteral("record")).toInt(), records)
        << found.out.constData();

    const CliRun set = runCli(rig, {QStringLiteral("clock"), QStringLiteral("--set"),
                                    QStringLiteral("2026-12-09 10:05:07"), QStringLiteral("--net"),
                                    QStringLiteral("33"), QStringLiteral("--json")});
    ASSERT_EQ(set.exitCode, 0) << set.err.constData();
    EXPECT_EQ(firstResult(set).value(QStringLiteral("set")).toString(),
              QStringLiteral("9.12.2026 (3-Среда),  10:05:07"));
    const CliRun read = runCli(rig, {QStringLiteral("clock"), QStringLiteral("--net"),
                                     QStringLiteral("33"), QStringLiteral("--json")});
    EXPECT_TRUE(firstResult(read)
                    .value(QStringLiteral("text"))
                    .toString()
                    .startsWith(QStringLiteral("9.12.2026 (3-Среда),  10:05:")))
        << read.out.constData();

    const QStringList image = {QStringLiteral("image"), QStringLiteral("--net"),
                               QStringLiteral("3"), QStringLiteral("-o"),
                               QStringLiteral("flash{net}.bin")};
    const CliRun upload = runCli(rig, image);
    ASSERT_EQ(upload.exitCode, 0) << upload.err.constData();
    EXPECT_EQ(compareFiles(rig.path(QStringLiteral("flash3.bin")),
                           rig.dumpFile(QStringLiteral("3/0900.bin"))),
              QString());
    EXPECT_EQ(runCli(rig, image).exitCode, 1); // no overwriting without --force
}

TEST(Cli, StrangeImageSizeIsReadOnlyAsTold)
{
    LineSetup setup;
    setup.simArguments = {QStringLiteral("--flash-size"), QStringLiteral("1000")};
    LineRig rig(setup);
    ASSERT_TRUE(rig.ready()) << qPrintable(rig.failure());
    const QStringList image = {QStringLiteral("image"), QStringLiteral("-o"),
                               QStringLiteral("image.bin")};
    const CliRun refused = runCli(rig, image);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("Странный размер ПО = 1000")) << refused.err.constData();
    EXPECT_FALSE(QFileInfo::exists(rig.path(QStringLiteral("image.bin"))));
    const CliRun reported =
        runCli(rig, QStringList(image) << QStringLiteral("--size") << QStringLiteral("reported"));
    ASSERT_EQ(reported.exitCode, 0) << reported.err.constData();
    EXPECT_EQ(compareFiles(rig.path(QStringLiteral("image.bin")),
                           rig.dumpFile(QStringLiteral("0900.bin"))),
              QString());
}

// vestan-cli with its standard error on a pseudo-terminal: the child's pid
// and the terminal's master side.
struct TerminalRun
{
    pid_t pid = -1;
    int master = -1;
    QByteArray err;

    ~TerminalRun()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (master >= 0)
            ::close(master);
    }
    bool start(const LineRig &rig, const QStringList &arguments, bool outputToo = false)
    {
        int slave = -1;
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
            return false;
        const QByteArray program =
            QFile::encodeName(vestanBuildDir() + QStringLiteral("/bin/vestan-cli"));
        const QByteArray dir = QFile::encodeName(rig.dir());
        QList<QByteArray> args{program};
        const QStringList all = QStringList(arguments)
                                << QStringLiteral("--port") << QStringLiteral("COM2");
        for (const QString &a : all)
            args << a.toUtf8();
        std::vector<char *> argv;
        for (QByteArray &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid = ::fork();
        if (pid == 0) {
            ::setenv("TMPDIR", dir.constData(), 1);
            ::dup2(slave, STDERR_FILENO);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(outputToo ? slave : null, STDOUT_FILENO);
            ::dup2(null, STDIN_FILENO);
            if (::chdir(dir.constData()) == 0)
                ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(slave);
        return pid > 0;
    }
    // Reads what came on the terminal until `done` holds or the time is up.
    bool readUntil(const std::function<bool(const QByteArray &)> &done, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done(err) && clock.elapsed() < timeoutMs) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0) {
                char chunk[512];
                const ssize_t n = ::read(master, chunk, sizeof chunk);
                if (n <= 0)
                    return false;
                err.append(chunk, n);
            }
        }
        return done(err);
    }
    int wait()
    {
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// The lines a terminal shows: a carriage return writes over the line.
QStringList shownLines(const QByteArray &bytes)
{
    QStringList lines{QString()};
    qsizetype column = 0;
    for (const QChar c : QString::fromUtf8(bytes)) {
        if (c == u'\r') {
            column = 0;
        } else if (c == u'\n') {
            lines.append(QString());
            column = 0;
        } else {
            lines.last() = lines.last().left(column) + c + lines.last().mid(column + 1);
            ++column;
        }
    }
    return lines.filter(QRegularExpression(QStringLiteral("\\S")));
}

TEST(Cli, ScanOnATerminalShowsOnlyItsResults)
{
    LineRig rig(lineOfThree(false));
    ASSERT_TRUE(rig.ready()) << qPrintable(rig.failure());
    TerminalRun scan;
    ASSERT_TRUE(scan.start(
        rig, {QStringLiteral("scan"), QStringLiteral("--net"), QStringLiteral("5-8")}, true));
    scan.readUntil([](const QByteArray &) { return false; }, 30000); // until it ends
    EXPECT_EQ(scan.wait(), 0);
    const QStringList lines = shownLines(scan.err);
    ASSERT_EQ(lines.size(), 1) << scan.err.constData();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("7: Обработчик"))) << qPrintable(lines[0]);
}

// The bytes done of the last progress line "net: done / total bytes, ...".
qint64 lastProgress(const QByteArray &err, qint64 &total)
{
    static const QRegularExpression line(QStringLiteral("(\\d+) / (\\d+) bytes"));
    qint64 done = -1;
    for (auto m = line.globalMatch(QString::fromUtf8(err)); m.hasNext();) {
        const auto match = m.next();
        done = match.captured(1).toLongLong();
        total = match.captured(2).toLongLong();
    }
    return done;
}

TEST(Cli, InterruptedDownloadContinuesWithOnlyTheRest)
{
    LineSetup setup;
    setup.simArguments = {QStringLiteral("--records"), QStringLiteral("500")};
    setup.throughLineSim = true;
    setup.lineArguments = {QStringLiteral("--baud"), QStringLiteral("38400")};
    setup.baud = 38400;
    LineRig rig(setup);
    ASSERT_TRUE(rig.ready()) << qPrintable(rig.failure());
    const QStringList journal = {QStringLiteral("journal"), QStringLiteral("--portion"),
                                 QStringLiteral("256"), QStringLiteral("-o"),
                                 QStringLiteral("j.dat")};

    // Ctrl+C half-way: the progress line shows on the terminal, the run
    // stops between portions and keeps what arrived.
    TerminalRun first;
    ASSERT_TRUE(first.start(rig, journal));
    qint64 total = 0;
    ASSERT_TRUE(first.readUntil(
        [&](const QByteArray &err) { return lastProgress(err, total) * 2 > total; }, 60000))
        << first.err.constData();
    ::kill(first.pid, SIGINT);
    first.readUntil([](const QByteArray &err) { return err.contains("--continue"); }, 20000);
    EXPECT_EQ(first.wait(), 1) << first.err.constData();
    EXPECT_TRUE(first.err.contains("B/s"));
    const QString partial = rig.path(QStringLiteral("j.dat.part"));
    const qint64 kept = QFileInfo(partial).size();
    EXPECT_GT(kept * 2, total);
    EXPECT_LT(kept, total);
    EXPECT_FALSE(QFileInfo::exists(rig.path(QStringLiteral("j.dat"))));

    // A partial file whose journal header is not the controller's (as after
    // the journal moved on) is refused and left alone.
    const QString check = partial + QStringLiteral(".json");
    QFile::copy(partial, rig.path(QStringLiteral("saved.part")));
    QFile::copy(check, rig.path(QStringLiteral("saved.json")));
    {
        QFile file(partial);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        bytes[100] = char(bytes[100] ^ 0x55);
        file.seek(0);
        file.write(bytes);
        QFile checkFile(check);
        ASSERT_TRUE(checkFile.open(QIODevice::ReadWrite));
        QJsonObject c = QJsonDocument::fromJson(checkFile.readAll()).object();
        c.insert(QStringLiteral("sha256"),
                 QString::fromLatin1(
                     QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        checkFile.resize(0);
        checkFile.write(QJsonDocument(c).toJson());
    }
    const QStringList resume = QStringList(journal) << QStringLiteral("--continue");
    const CliRun refused = runCli(rig, resume);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("journal header")) << refused.err.constData();
    EXPECT_EQ(QFileInfo(partial).size(), kept);
    QFile::remove(partial);
    QFile::remove(check);
    QFile::rename(rig.path(QStringLiteral("saved.part")), partial);
    QFile::rename(rig.path(QStringLiteral("saved.json")), check);

    // Standard error is no terminal here: no progress line.
    const CliRun second = runCli(rig, resume);
    ASSERT_EQ(second.exitCode, 0) << second.err.constData();
    EXPECT_FALSE(second.err.contains("B/s")) << second.err.constData();
    EXPECT_EQ(compareFiles(rig.path(QStringLiteral("j.dat")),
                           rig.dumpFile(QStringLiteral("journal.dat"))),
              QString());
    EXPECT_FALSE(QFileInfo::exists(partial));
    // Both runs together moved the journal about once (and what the library
    // had asked ahead, at most 5 KiB), not once and a half.
    const qint64 moved = rig.stopLineSim().value(QStringLiteral("b_to_a.bytes_out"));
    EXPECT_GT(moved, total);
    EXPECT_LT(moved, total * 5 / 4) << "journal " << total << ", kept " << kept;
}

} // namespace
} // namespace vestan::test
