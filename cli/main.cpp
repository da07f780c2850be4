// vestan-cli: the controller operations of the window from a terminal and
// from scripts, over one controller or several on one line.

#include "app/programstate.h"
#include "app/settings.h"
#include "cli/clihost.h"
#include "clock/ctldatetime.h"
#include "info/infotexts.h"
#include "journal/copyormove.h"
#include "journal/portionloop.h"
#include "link/linkloader.h"
#include "platform/inifile.h"
#include "platform/terminal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>
#include <csignal>
#include <cstdio>

namespace vestan {
namespace {

// Exit codes.
constexpr int kExitDone = 0;
constexpr int kExitSomeFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoLibrary = 3;

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int)
{
    interrupted = 1;
}

const char *const kUsage =
    "usage: vestan-cli COMMAND [options]\n"
    "commands: ports | scan | power | clock | journal\n"
    "  --port COMn        the library's port (default: the window's)\n"
    "  --net LIST         network numbers: 33, 3,7,33 or 1-250 (default: the window's)\n"
    "  --portion BYTES    journal portion: 16 .. 1024 (default: the window's)\n"
    "  --phone NUMBER     dial through the modem\n"
    "  -o FILE            journal file; {net} and {date} are replaced (default j{net}.dat)\n"
    "  --header-only      the journal header only\n"
    "  --force            replace existing files\n"
    "  --json             one JSON document on standard output\n"
    "exit codes: 0 all done, 1 some controllers failed, 2 bad usage, 3 no link library\n";

struct CliOptions
{
    QString command;
    QList<int> nets;
    int portIndex = 1;
    uint16_t portion = 1024;
    QString phone;
    QString output = QStringLiteral("j{net}.dat");
    bool headerOnly = false;
    bool force = false;
    bool json = false;
};

bool parseNets(const QString &text, QList<int> &nets)
{
    nets.clear();
    for (const QString &part : text.split(u',')) {
        const QStringList range = part.split(u'-');
        bool ok1 = false;
        bool ok2 = true;
        const int low = range.value(0).toInt(&ok1);
        const int high = range.size() == 2 ? range.value(1).toInt(&ok2) : low;
        if (range.size() > 2 || !ok1 || !ok2 || low < 1 || high > 250 || low > high)
            return false;
        for (int n = low; n <= high; ++n)
            if (!nets.contains(n))
                nets.append(n);
    }
    return !nets.isEmpty();
}

// The window's settings give the defaults, so both talk to the same controller.
void readWindowSettings(CliOptions &o)
{
    const QString window = QCoreApplication::applicationDirPath() + QStringLiteral("/vestan");
    const IniFile ini(Settings::settingsFilePath(window));
    const QString section = QStringLiteral("VestanApp");
    const QString port = ini.readString(section, QStringLiteral("ComPort"));
    if (port.size() == 4 && port.startsWith(QStringLiteral("COM")) && port[3] >= u'1' &&
        port[3] <= u'4')
        o.portIndex = port[3].unicode() - u'1';
    const int net = ini.readString(section, QStringLiteral("IdNet")).toInt();
    o.nets = {net >= 1 && net <= 250 ? net : 33};
    const int item = ini.readString(section, QStringLiteral("IGetSize"), QStringLiteral("7")).toInt();
    o.portion = kPortionSizes[item >= 0 && item <= 7 ? item : 7];
    const QString phone = ini.readString(section, QStringLiteral("Phone"), QStringLiteral("?"));
    if (!phone.startsWith(u'?'))
        o.phone = phone.left(kPhoneCapacity);
}

// Empty, or the one line that says what is wrong.
QString parseArguments(const QStringList &args, CliOptions &o)
{
    if (args.isEmpty())
        return QStringLiteral("no command given");
    o.command = args[0];
    static const QStringList commands = {QStringLiteral("ports"), QStringLiteral("scan"),
                                         QStringLiteral("power"), QStringLiteral("clock"),
                                         QStringLiteral("journal")};
    if (!commands.contains(o.command))
        return QStringLiteral("unknown command %1").arg(o.command);
    bool netGiven = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto value = [&](QString &out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--json")) {
            o.json = true;
        } else if (a == QLatin1String("--force")) {
            o.force = true;
        } else if (a == QLatin1String("--header-only")) {
            o.headerOnly = true;
        } else if (a == QLatin1String("--net")) {
            if (!value(v) || !parseNets(v, o.nets))
                return QStringLiteral("--net needs numbers of 1 .. 250: 33, 3,7,33 or 1-250");
            netGiven = true;
        } else if (a == QLatin1String("--port")) {
            if (!value(v) || v.size() < 4 || !v.startsWith(QLatin1String("COM")) ||
                v.mid(3).toInt() < 1 || v.mid(3).toInt() > 256)
                return QStringLiteral("--port needs COM1 .. COM256");
            o.portIndex = v.mid(3).toInt() - 1;
        } else if (a == QLatin1String("--portion")) {
            bool ok = false;
            const int n = value(v) ? v.toInt(&ok) : 0;
            if (!ok || n < 16 || n > 1024)
                return QStringLiteral("--portion needs 16 .. 1024 bytes");
            o.portion = uint16_t(n);
        } else if (a == QLatin1String("--phone")) {
            if (!value(v) || v.size() > kPhoneCapacity)
                return QStringLiteral("--phone needs a number of at most %1 characters")
                    .arg(kPhoneCapacity);
            o.phone = v;
        } else if (a == QLatin1String("-o")) {
            if (!value(o.output) || o.output.isEmpty())
                return QStringLiteral("-o needs a file name");
        } else {
            return QStringLiteral("unknown option %1").arg(a);
        }
    }
    if (o.command == QLatin1String("scan") && !netGiven)
        parseNets(QStringLiteral("1-250"), o.nets);
    if (o.command == QLatin1String("journal") && o.nets.size() > 1 &&
        !o.output.contains(QLatin1String("{net}")))
        return QStringLiteral("-o needs {net} in the name for several network numbers");
    return QString();
}

void print(const QString &text)
{
    std::fprintf(stdout, "%s\n", qUtf8Printable(text));
    std::fflush(stdout);
}

class Cli
{
public:
    Cli(ProgramState &state, CliHost &host, const CliOptions &o) : s_(state), host_(host), o_(o) {}

    int run()
    {
        if (o_.command == QLatin1String("ports"))
            return ports();
        if (LoadLinkLibrary(s_) != 0)
            return kExitNoLibrary;
        s_.libraryBound = 1;
        s_.api._trvCL_fInit();
        s_.session.portionSize = o_.portion;
        if (!openLink())
            return kExitSomeFailed;
        int failed = 0;
        if (o_.command == QLatin1String("scan"))
            failed = scan();
        else
            for (const int net : o_.nets) {
                if (interrupted)
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
        for (const QSerialPortInfo &p : QSerialPortInfo::availablePorts()) {
            list.append(p.systemLocation());
            if (!o_.json)
                print(p.systemLocation() + QStringLiteral("  ") + p.description());
        }
        if (o_.json)
            print(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)));
        return kExitDone;
    }

    bool openLink()
    {
        const int32_t port = s_.channel.portIndex = o_.portIndex;
        const QByteArray phone = o_.phone.toLocal8Bit();
        s_.api._trvCL_fSetPhone(port, phone.constData());
        const int32_t result = s_.api._trvCL_fOpen(port);
        s_.channel.isOpen = s_.api._trvCL_fIsOpen(port);
        s_.channel.baudRate = s_.api._trvCL_fParamBaud(port);
        if (result >= 0 && s_.channel.isOpen)
            return true;
        const char *text = s_.api._trvCL_fErr2str(result);
        std::fprintf(stderr, "COM%d: %s\n", port + 1, text ? text : "");
        return false;
    }

    // A size request with one attempt per number; no message for silence.
    int scan()
    {
        s_.requests.setAttempts(1);
        host_.quiet = true;
        const bool terminal = isTerminal(stderr);
        for (const int net : o_.nets) {
            if (interrupted)
                break;
            if (terminal)
                std::fprintf(stderr, "\r%d ", net);
            s_.channel.netNumber = uint8_t(net);
            s_.channel.running = 1;
            uint32_t size = 0;
            if (s_.requests.RequestSize(ObjJournalHeader, size, 0, QString()) != 0)
                continue;
            if (o_.json)
                results_.append(QJsonObject{{QStringLiteral("net"), net}});
            else
                print(QString::number(net));
        }
        if (terminal)
            std::fprintf(stderr, "\r    \r");
        s_.channel.running = 0;
        return 0;
    }

    bool one(int net)
    {
        QJsonObject r{{QStringLiteral("net"), net}};
        QString text;
        s_.channel.running = 1;
        const bool ok = o_.command == QLatin1String("power")     ? power(text)
                        : o_.command == QLatin1String("clock")   ? clock(text)
                                                                 : journal(net, text);
        s_.channel.running = 0;
        r.insert(QStringLiteral("ok"), ok);
        if (ok) {
            r.insert(QStringLiteral("text"), text);
            if (!o_.json)
                print(QStringLiteral("%1: %2").arg(net).arg(text));
        }
        results_.append(r);
        return ok;
    }

    bool query(uint16_t object, uint16_t size, const QString &operation, uint16_t &at)
    {
        uint16_t count = 0;
        return s_.requests.RequestQuery(object, size, nullptr, count, at, 1, operation) == 0 &&
               s_.requests.ReplyHoldsRecord(count, size, 1, operation);
    }

    bool power(QString &text)
    {
        uint16_t at = 0;
        if (!query(ObjPower, kPowerReadingsSize, QStringLiteral("Получить данные по питанию"), at))
            return false;
        text = formatPowerReadings(s_.channel.rxBuffer + at);
        return true;
    }

    bool clock(QString &text)
    {
        uint16_t at = 0;
        if (!query(ObjDateTime, CtlDateTime::kSize, QStringLiteral("Чтение системных даты и времени"),
                   at))
            return false;
        text = formatControllerClock(CtlDateTime::fromBytes(s_.channel.rxBuffer + at));
        return true;
    }

    // Through the temporary file, as the window does; the target appears only
    // when every portion arrived, and an existing one stays unless --force.
    bool journal(int net, QString &text)
    {
        QString target = o_.output;
        target.replace(QLatin1String("{net}"), QString::number(net));
        target.replace(QLatin1String("{date}"),
                       host_.localTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        target = QFileInfo(target).absoluteFilePath();
        if (QFileInfo::exists(target) && !o_.force) {
            std::fprintf(stderr, "%s: exists; --force replaces it\n", qUtf8Printable(target));
            return false;
        }
        RequestLayer &rq = s_.requests;
        uint32_t headerSize = 0;
        uint32_t dataSize = 0;
        if (rq.RequestSize(ObjJournalHeader, headerSize, 1,
                           QStringLiteral("Чтение размера заголовка журнала")) != 0)
            return false;
        if (!o_.headerOnly && rq.RequestSize(ObjJournalData, dataSize, 1,
                                             QStringLiteral("Чтение размера данных журнала")) != 0)
            return false;
        TempFile &temp = s_.tempFile;
        temp.CreateTempFile();
        if (!temp.isRegistered())
            return false;
        const uint64_t total = uint64_t(headerSize) + dataSize;
        uint64_t done = 0;
        bool written = true;
        const bool terminal = isTerminal(stderr);
        const uint32_t startTick = host_.tickCount();
        PortionHooks hooks;
        hooks.consume = [&](const uint8_t *data, uint16_t count, uint32_t) {
            written = written && temp.WriteTempFile(data, count);
            done += count;
            if (interrupted)
                s_.channel.running = 0;
            if (terminal) {
                const double seconds = (host_.tickCount() - startTick) / 1000.0;
                const double rate = seconds > 0 ? done / seconds : 0;
                std::fprintf(stderr, "\r%d: %llu / %llu bytes, %.0f B/s, %.0f s left   ", net,
                             (unsigned long long)done, (unsigned long long)total, rate,
                             rate > 0 ? (total - done) / rate : 0.0);
            }
        };
        PortionResult header = readPortions(s_, ObjJournalHeader, headerSize,
                                            QStringLiteral("Чтение заголовка журнала"), hooks);
        PortionResult data;
        if (header.error == 0 && s_.channel.running && dataSize > 0)
            data = readPortions(s_, ObjJournalData, dataSize,
                                QStringLiteral("Чтение данных журнала"), hooks);
        if (terminal)
            std::fprintf(stderr, "\n");
        temp.CloseTempFile();
        const bool complete = written && header.error == 0 && data.error == 0 &&
                              done == total && s_.channel.running != 0;
        bool stored = false;
        if (complete) {
            host_.questionAnswer = kIdYes; // the replace question: --force was checked above
            stored = CopyOrMoveFile(s_, kCopyFile, temp.TempFileName(), target);
            host_.questionAnswer = kIdNo;
        }
        temp.DeleteTempFile();
        if (!stored)
            return false;
        text = QStringLiteral("%1 (%2)").arg(
            target, o_.headerOnly ? QString::asprintf("Заголовок %lu", ulong(headerSize))
                                  : QString::asprintf("Заголовок %lu, данные %lu",
                                                      ulong(headerSize), ulong(dataSize)));
        return true;
    }

    ProgramState &s_;
    CliHost &host_;
    const CliOptions &o_;
    QJsonArray results_;
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
        std::fputs(kUsage, stdout);
        return kExitDone;
    }
    const QString mistake = parseArguments(args, options);
    if (!mistake.isEmpty()) {
        std::fprintf(stderr, "vestan-cli: %s\n%s", qUtf8Printable(mistake), kUsage);
        return kExitUsage;
    }
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    CliHost host;
    ProgramState state(host);
    const QFileInfo program(host.programPath());
    state.paths.programDir = QDir::toNativeSeparators(program.absolutePath() + u'/');
    state.paths.programFileName = program.fileName();
    return Cli(state, host, options).run();
}
