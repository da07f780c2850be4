// Measures the journal download end to end: the real link library, the
// controller simulator on an unthrottled pseudo-terminal, the download and
// storing exactly as SBtnJurLink runs them. Reports the peak memory of a
// 1 MiB and a 64 MiB journal (each in a process of its own) and the speed of
// a 16 MiB journal at portion size 1024.
//
//   bench_download              all three runs and the summary
//   bench_download --one MIB    one download of MIB MiB of journal data

#include "app/programstate.h"
#include "journal/journaldownload.h"
#include "journal/progresspanel.h"
#include "link/linkloader.h"
#include "tests/support/scriptedhost.h"
#include "tests/tools/trvsim/process/simprocess.h"

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace vestan;

namespace {

constexpr int kRecordSize = 1024;

QByteArray fileHash(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

long peakKib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One download; prints "bytes seconds peak-KiB" on success.
int runOne(int mib)
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir(dir.path()).mkpath("tmp") || !QDir(dir.path()).mkpath("dump"))
        return 2;
    qputenv("TMPDIR", QFile::encodeName(dir.filePath("tmp")));
    // 64 MiB would need 65536 records; record numbers stop at 65535.
    const int records = std::min(mib * 1024, 65535);
    test::SimProcess sim({"--records", QString::number(records), "--record-size",
                          QString::number(kRecordSize), "--dump", dir.filePath("dump")});
    if (!sim.ready()) {
        std::fprintf(stderr, "bench_download: %s\n", qPrintable(sim.failure()));
        return 2;
    }
    const QString ini = dir.filePath("trvCLNK.ini");
    QFile iniFile(ini);
    if (!iniFile.open(QIODevice::WriteOnly) ||
        iniFile.write("[COM2]\nDevice=" + QFile::encodeName(sim.linkPath()) + "\nBaud=115200\n") <
            0)
        return 2;
    iniFile.close();
    qputenv("TRVCLNK_INI", QFile::encodeName(ini));

    test::ScriptedHost host;
    host.path = test::buildBinDir() + "/vestan";
    ProgramState state(host);
    state.paths.programFileName = "vestan";
    QComboBox recent;
    state.recentFiles.attach(&recent);
    if (LoadLinkLibrary(state) != 0)
        return 2;
    state.api._trvCL_fInit();
    state.api._trvCL_fSetPhone(1, "");
    if (state.api._trvCL_fOpen(1) != 1) {
        std::fprintf(stderr, "bench_download: the line did not open\n");
        return 2;
    }
    state.channel.isOpen = 1;
    state.session.portionSize = 1024;

    const QString stored = dir.filePath("journal.dat");
    host.answers = {kIdYes};
    host.fileAnswers = {stored};
    QWidget window;
    ProgressPanel progress(&window);
    QElapsedTimer clock;
    clock.start();
    JournalDownload(state, progress).run(false);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    state.api._trvCL_fClose(1);

    if (host.boxes.size() != 1 || fileHash(stored) != fileHash(dir.filePath("dump/journal.dat")) ||
        fileHash(stored).isEmpty()) {
        for (const auto &box : host.boxes)
            std::fprintf(stderr, "bench_download: box \"%s\"\n", qPrintable(box.text));
        std::fprintf(stderr, "bench_download: the stored journal differs from the dump\n");
        return 1;
    }
    std::printf("%lld %.3f %ld\n", QFileInfo(stored).size(), seconds, peakKib());
    return 0;
}

struct Run
{
    qint64 bytes = 0;
    double seconds = 0;
    long peakKib = 0;
};

bool runChild(const QString &self, int mib, Run &run)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {"--one", QString::number(mib)});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0)
        return false;
    const QStringList fields = QString::fromLatin1(child.readAllStandardOutput()).split(' ');
    if (fields.size() != 3)
        return false;
    run = {fields[0].toLongLong(), fields[1].toDouble(), fields[2].trimmed().toLong()};
    std::printf("  %3d MiB journal: %lld bytes in %.2f s = %.2f MiB/s, peak memory %ld KiB\n", mib,
                run.bytes, run.seconds, double(run.bytes) / (1 << 20) / run.seconds, run.peakKib);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The simulator and the link library sit beside this program in bin/.
    if (qEnvironmentVariableIsEmpty("VESTAN_BUILD_DIR"))
        qputenv("VESTAN_BUILD_DIR",
                QFile::encodeName(QCoreApplication::applicationDirPath() + "/.."));
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--one")
        return runOne(args[2].toInt());
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: bench_download [--one MIB]\n");
        return 2;
    }

    std::printf("journal download, portion size 1024, unthrottled pseudo-terminal\n");
    Run small, large, speed;
    const QString self = app.applicationFilePath();
    if (!runChild(self, 1, small) || !runChild(self, 64, large) || !runChild(self, 16, speed)) {
        std::fprintf(stderr, "bench_download: a run failed\n");
        return 1;
    }
    const long growth = large.peakKib - small.peakKib;
    const double rate = double(speed.bytes) / (1 << 20) / speed.seconds;
    std::printf(
        "peak memory: 64 MiB run %ld KiB, 1 MiB run %ld KiB, growth %ld KiB (goal <= 2048)\n",
        large.peakKib, small.peakKib, growth);
    std::printf("speed: 16 MiB at %.2f MiB/s (goal >= 5)\n", rate);
    return 0;
}
