#include "tests/support/linerig.h"

#include "session/linkloader.h"
#include "session/session.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <sys/prctl.h>

namespace vestan::test {
namespace {

// Time a child gets to show that it is ready.
constexpr int kStartTimeoutMs = 20000;

QString binDir()
{
    return vestanBuildDir() + QStringLiteral("/bin");
}

uint16_t freeTcpPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

QString vestanBuildDir()
{
    const QString fromEnvironment = qEnvironmentVariable("VESTAN_BUILD_DIR");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(fromEnvironment);
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
}

QString trvclnkPath()
{
    return binDir() + QStringLiteral("/trvCLNK.so");
}

ChildProcess::~ChildProcess()
{
    kill();
}

bool ChildProcess::start(const QString &program, const QStringList &arguments)
{
    if (!QFileInfo(program).isExecutable()) {
        failure_ = program + QStringLiteral(" is missing (build it first)");
        return false;
    }
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(program, arguments);
    if (!process_.waitForStarted(kStartTimeoutMs)) {
        failure_ = program + QStringLiteral(": ") + process_.errorString();
        return false;
    }
    return true;
}

QString ChildProcess::nextLine(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const qsizetype end = buffered_.indexOf('\n');
        if (end >= 0) {
            const QString line = QString::fromLocal8Bit(buffered_.left(end));
            buffered_.remove(0, end + 1);
            return line;
        }
        if (deadline.hasExpired() || !running()) {
            buffered_ += process_.readAllStandardOutput();
            if (buffered_.indexOf('\n') >= 0)
                continue;
            return QString();
        }
        if (process_.bytesAvailable() == 0)
            process_.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        buffered_ += process_.readAllStandardOutput();
    }
}

void ChildProcess::terminate(int timeoutMs)
{
    if (!running())
        return;
    process_.terminate();
    if (!process_.waitForFinished(timeoutMs))
        kill();
}

void ChildProcess::kill()
{
    if (!running())
        return;
    process_.kill();
    process_.waitForFinished(5000);
}

QString ChildProcess::errorOutput()
{
    return QString::fromLocal8Bit(process_.readAllStandardError());
}

QString LineRig::iniPath()
{
    // One library state per process: its settings file is chosen once, by
    // the environment when it names one, else in a directory of our own.
    static const QString path = [] {
        const QString given = QFile::decodeName(qgetenv("TRVCLNK_INI"));
        if (!given.isEmpty())
            return given;
        // Not under $TMPDIR: tests point that into directories of their own
        // that go away before the process does.
        static QTemporaryDir dir(QStringLiteral(P_tmpdir "/trvclnk-ini-XXXXXX"));
        const QString made = dir.filePath(QStringLiteral("trvCLNK.ini"));
        qputenv("TRVCLNK_INI", QFile::encodeName(made));
        return made;
    }();
    return path;
}

LineRig::LineRig(const LineSetup &setup) : setup_(setup)
{
    if (!dir_.isValid()) {
        failure_ = QStringLiteral("no temporary directory");
        return;
    }
    iniPath(); // before anything can make the library read its settings
    QStringList simArguments;
    if (setup_.dump) {
        simArguments << QStringLiteral("--dump") << path(QStringLiteral("dump"));
    }
    if (setup_.guardTimeMs > 0)
        simArguments << QStringLiteral("--guard-ms") << QString::number(setup_.guardTimeMs);
    simArguments << setup_.simArguments;

    if (setup_.throughLineSim) {
        const QString a = path(QStringLiteral("a"));
        const QString b = path(QStringLiteral("b"));
        if (!lineSim_.start(binDir() + QStringLiteral("/linesim"),
                            QStringList{QStringLiteral("--a"), a, QStringLiteral("--b"), b,
                                        QStringLiteral("--stats"),
                                        path(QStringLiteral("line.stats"))}
                                << setup_.lineArguments)) {
            failure_ = lineSim_.failure();
            return;
        }
        // a=..., b=..., then ready once both links exist.
        for (QString line = lineSim_.nextLine(kStartTimeoutMs); line != QLatin1String("ready");
             line = lineSim_.nextLine(kStartTimeoutMs)) {
            if (line.isNull()) {
                failure_ = QStringLiteral("linesim did not get ready: ") + lineSim_.errorOutput();
                return;
            }
        }
        simArguments.prepend(QString::number(setup_.baud));
        simArguments.prepend(QStringLiteral("--baud"));
        simArguments.prepend(b);
        simArguments.prepend(QStringLiteral("--device"));
        device_ = a;
    } else {
        device_ = path(QStringLiteral("line"));
        simArguments.prepend(device_);
        simArguments.prepend(QStringLiteral("--link"));
    }
    if (!sim_.start(binDir() + QStringLiteral("/trvsim"), simArguments)) {
        failure_ = sim_.failure();
        return;
    }
    // Its first line says the line is ready (and the dump is written).
    if (sim_.nextLine(kStartTimeoutMs).isEmpty()) {
        failure_ = QStringLiteral("trvsim did not report its line: ") + sim_.errorOutput();
        return;
    }
    serialDevice_ = device_;
    if (setup_.server != LineSetup::Server::None) {
        serverPort_ = freeTcpPort();
        const bool comPort = setup_.server == LineSetup::Server::ComPortControl;
        device_ = QStringLiteral("%1://127.0.0.1:%2")
                      .arg(comPort ? QStringLiteral("rfc2217") : QStringLiteral("tcp"))
                      .arg(serverPort_);
        if (serverPort_ == 0 || !startServer()) {
            failure_ = QStringLiteral("ser2net did not start: ") + server_.failure() +
                       server_.errorOutput();
            return;
        }
    }
    if (!writeIni())
        failure_ = QStringLiteral("cannot write ") + iniPath();
}

bool LineRig::startServer()
{
    const bool comPort = setup_.server == LineSetup::Server::ComPortControl;
    const QString config = path(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(QStringLiteral("%YAML 1.1\n---\n"
                              "connection: &vestan\n"
                              "  accepter: %1tcp,127.0.0.1,%2\n"
                              "  connector: serialdev,%3,115200n81,local\n"
                              "  options:\n"
                              "    kickolduser: true\n")
                   .arg(comPort ? QStringLiteral("telnet(rfc2217),") : QString())
                   .arg(serverPort_)
                   .arg(serialDevice_)
                   .toUtf8());
    file.close();
    if (!server_.start(QStringLiteral("/usr/sbin/ser2net"),
                       {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config,
                        QStringLiteral("-P"), path(QStringLiteral("ser2net.pid"))}))
        return false;
    // Ready once its port takes a connection.
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired() && server_.running()) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, serverPort_);
        if (probe.waitForConnected(200)) {
            probe.abort();
            // The server takes the next client once it has seen this one go.
            QThread::msleep(100);
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

LineRig::~LineRig()
{
    // A port left open by a failed test would keep the old device for the next rig.
    closeLibraryPort();
    server_.kill();
    sim_.kill();
    lineSim_.kill();
}

QString LineRig::dumpFile(const QString &name) const
{
    return path(QStringLiteral("dump/") + name);
}

bool LineRig::writeIni() const
{
    QFile file(iniPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QString text = QStringLiteral("[COM%1]\n").arg(setup_.port + 1);
    text += QStringLiteral("Device=%1\n").arg(device_);
    text += QStringLiteral("Baud=%1\n").arg(setup_.baud);
    text += QStringLiteral("ReplyTimeoutMs=%1\n").arg(setup_.replyTimeoutMs);
    text += QStringLiteral("InterByteTimeoutMs=%1\n").arg(setup_.interByteTimeoutMs);
    text += QStringLiteral("GuardTimeMs=%1\n").arg(setup_.guardTimeMs);
    text += QStringLiteral("ReadAhead=%1\n").arg(setup_.readAhead ? 1 : 0);
    text += QStringLiteral("ModemTimeoutMs=2000\nDialTimeoutMs=5000\n");
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size();
}

QStringList LineRig::simulatorLines(int timeoutMs)
{
    QStringList lines;
    for (QString line = sim_.nextLine(timeoutMs); !line.isNull(); line = sim_.nextLine(0))
        lines << line;
    return lines;
}

QMap<QString, qint64> LineRig::stopLineSim()
{
    QMap<QString, qint64> stats;
    if (!lineSim_.running())
        return stats;
    lineSim_.terminate();
    QFile file(path(QStringLiteral("line.stats")));
    if (!file.open(QIODevice::ReadOnly))
        return stats;
    for (const QByteArray &line : file.readAll().split('\n')) {
        QString direction;
        for (const QByteArray &pair : line.split(' ')) {
            const qsizetype eq = pair.indexOf('=');
            if (eq < 0)
                continue;
            const QString key = QString::fromLatin1(pair.left(eq));
            const QByteArray value = pair.mid(eq + 1);
            if (key == QLatin1String("direction"))
                direction = QString::fromLatin1(value);
            else
                stats.insert(direction + u'.' + key, value.toLongLong());
        }
    }
    return stats;
}

int32_t LineRig::bindRealLibrary(Session &state)
{
    iniPath();
    state.linkLibraryName = trvclnkPath();
    const LinkEntryPointTable table = makeLinkEntryPointTable(state.api);
    return LoadAndBindLibrary(state.host, state.linkLibraryName, state.libraryHandle, table.data(),
                              0);
}

int32_t LineRig::openLink(Session &state, const QByteArray &phone) const
{
    LinkChannel &channel = state.channel;
    channel.portIndex = setup_.port;
    state.api._trvCL_fSetPhone(setup_.port, phone.constData());
    const int32_t result = state.api._trvCL_fOpen(setup_.port);
    channel.isOpen = state.api._trvCL_fIsOpen(setup_.port);
    channel.baudRate = state.api._trvCL_fParamBaud(setup_.port);
    return result;
}

void LineRig::closeLibraryPort() const
{
    // Only a library this process has loaded already; never load it here.
    void *handle = ::dlopen(QFile::encodeName(trvclnkPath()).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return;
    auto isOpen = reinterpret_cast<TrvIsOpenFn>(::dlsym(handle, "_trvCL_fIsOpen"));
    auto close = reinterpret_cast<TrvCloseFn>(::dlsym(handle, "_trvCL_fClose"));
    if (isOpen && close && isOpen(setup_.port) != 0)
        close(setup_.port);
    ::dlclose(handle);
}

QMap<QString, QString> readStatisticsDialog(const std::function<void()> &open)
{
    QMap<QString, QString> values;
    bool seen = false;
    // The dialog is modal: read it from inside its own event loop.
    QTimer reader;
    reader.setInterval(10);
    QObject::connect(&reader, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String("StatisticsDialog"))
            return;
        if (auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("table"))) {
            for (int row = 0; row < table->rowCount(); ++row)
                if (table->item(row, 0) && table->item(row, 1))
                    values.insert(table->item(row, 0)->text().trimmed(),
                                  table->item(row, 1)->text());
        }
        seen = true;
        dialog->reject();
    });
    reader.start();
    open();
    reader.stop();
    if (!seen)
        values.clear();
    return values;
}

} // namespace vestan::test
