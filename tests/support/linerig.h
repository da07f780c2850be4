#pragma once

// The real line for end-to-end tests and benchmarks: trvsim (and linesim
// between when asked) as child processes behind links in a temporary
// directory, the trvCLNK.ini that the real bin/trvCLNK.so reads, the library
// bound by path, and a host that answers the transfers' questions itself.

#include "session/linkapi.h"
#include "tests/support/autohost.h"

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <memory>

namespace vestan {
struct Session;
}

namespace vestan::test {

// The build folder: $VESTAN_BUILD_DIR (ctest and bench/run set it), else the
// parent of the running program's folder (build/tests, build/bin).
QString vestanBuildDir();
QString trvclnkPath();

// A child process that dies with us: killed when this object goes and, by a
// parent-death signal, when the test program itself dies.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool start(const QString &program, const QStringList &arguments);
    // The next line on standard output, or a null string when none comes in time.
    QString nextLine(int timeoutMs);
    bool running() const { return process_.state() != QProcess::NotRunning; }
    qint64 pid() const { return process_.processId(); }
    // SIGTERM, then SIGKILL when it has not ended within timeoutMs.
    void terminate(int timeoutMs = 5000);
    void kill();
    QString errorOutput();
    QString failure() const { return failure_; }

private:
    QProcess process_;
    QByteArray buffered_;
    QString failure_;
};

struct LineSetup
{
    QStringList simArguments; // more trvsim options (--records, fault modes, ...)
    bool throughLineSim = false;
    QStringList lineArguments; // linesim options (--baud, --corrupt, --seed, ...)
    bool dump = true;          // trvsim --dump into dumpDir()
    // The port the library opens, as its index (COM2 = 1), and the [COMn]
    // keys written for it in trvCLNK.ini.
    int port = 1;
    uint32_t baud = 115200;
    int replyTimeoutMs = 500;
    int interByteTimeoutMs = 0; // 0: the library derives it from the speed
    int guardTimeMs = 50;       // the modem's escape guard time, both sides
    bool readAhead = true;      // ReadAhead
    // A network serial server (ser2net, with a configuration of its own, on
    // a TCP port chosen free at run time) in front of the line: the library
    // opens tcp:// or rfc2217:// instead of the device.
    enum class Server
    {
        None,
        Raw,
        ComPortControl
    } server = Server::None;
};

// One line from the library's port to a simulated controller.
class LineRig
{
public:
    explicit LineRig(const LineSetup &setup);
    ~LineRig();
    LineRig(const LineRig &) = delete;
    LineRig &operator=(const LineRig &) = delete;

    bool ready() const { return failure_.isEmpty(); }
    QString failure() const { return failure_; }

    const LineSetup &setup() const { return setup_; }
    QString dir() const { return dir_.path(); }
    QString path(const QString &name) const { return dir_.filePath(name); }
    // What trvsim --dump wrote: journal.dat, 0900.bin, 0B00.bin ...
    QString dumpFile(const QString &name) const;
    // The device the library opens.
    QString device() const { return device_; }

    // The library's settings file for this process (TRVCLNK_INI), set before
    // the library first reads it and shared by every rig of the process.
    static QString iniPath();
    // Rewrites trvCLNK.ini for this rig's port.
    bool writeIni() const;

    // Lines trvsim printed (modem events), waiting up to timeoutMs for the first.
    QStringList simulatorLines(int timeoutMs = 0);
    bool simulatorRunning() const { return sim_.running(); }
    QString simulatorErrors() { return sim_.errorOutput(); }
    // The controller goes away at once, as a cut cable or a dead controller would.
    void killSimulator() { sim_.kill(); }
    // Stops linesim and gives its closing statistics, "a_to_b.dropped" -> n.
    QMap<QString, qint64> stopLineSim();

    // The network serial server: stopped as a dead server would be (its
    // port refuses) and started again on the same port.
    void stopServer() { server_.terminate(); }
    bool startServer();
    // The serial device the server (or the library) has open.
    QString serialDevice() const { return serialDevice_; }

    // Loads and binds the real library by path into state.api (no message
    // box on failure): 0, or the loader's code.
    static int32_t bindRealLibrary(Session &state);
    // Opens the rig's port as the tool bar would (phone number first) and
    // records the result in the channel: the library's result.
    int32_t openLink(Session &state, const QByteArray &phone = QByteArray()) const;

private:
    void closeLibraryPort() const;

    LineSetup setup_;
    QTemporaryDir dir_;
    QString device_;
    QString serialDevice_;
    uint16_t serverPort_ = 0;
    QString failure_;
    ChildProcess server_;
    ChildProcess sim_;
    ChildProcess lineSim_;
};

// Opens the library's statistics dialog with `open` (e.g. a click on
// SBtnComState), reads its table and closes it: label -> value.
QMap<QString, QString> readStatisticsDialog(const std::function<void()> &open);

} // namespace vestan::test
