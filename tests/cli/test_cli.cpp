#include "tests/support/linerig.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace vestan::test {
namespace {

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliRun runCli(const LineRig &rig, const QStringList &arguments)
{
    QProcess cli;
    cli.setWorkingDirectory(rig.dir());
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
    for (const QJsonValue &v : json.array())
        found << v.toObject().value(QStringLiteral("net")).toInt();
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
    EXPECT_TRUE(results[0].toObject().value(QStringLiteral("text")).toString().contains(
        QStringLiteral("230")));
    EXPECT_FALSE(results[1].toObject().value(QStringLiteral("ok")).toBool());

    const CliRun clock = runCli(rig, {QStringLiteral("clock"), QStringLiteral("--net"),
                                      QStringLiteral("33")});
    EXPECT_EQ(clock.exitCode, 0) << clock.err.constData();
    EXPECT_TRUE(clock.out.startsWith("33: ")) << clock.out.constData();

    const CliRun bad = runCli(rig, {QStringLiteral("journal"), QStringLiteral("--net"),
                                    QStringLiteral("0-300")});
    EXPECT_EQ(bad.exitCode, 2);
    const QList<QByteArray> lines = bad.err.split('\n');
    EXPECT_TRUE(lines.value(0).startsWith("vestan-cli: --net")) << bad.err.constData();
    EXPECT_TRUE(lines.value(1).startsWith("usage: vestan-cli")) << bad.err.constData();
}

} // namespace
} // namespace vestan::test
