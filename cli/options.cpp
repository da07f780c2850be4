#include "cli/options.h"

#include "session/linksession.h"

#include <QDate>
#include <QRegularExpression>

namespace vestan {

const char *const kCliUsage =
    "usage: vestan-cli COMMAND [options]\n"
    "commands:\n"
    "  ports                       the serial ports of this computer\n"
    "  scan                        the network numbers that answer (default 1-250)\n"
    "  info                        version and journal summary\n"
    "  power                       power readings\n"
    "  clock [--set now|\"YYYY-MM-DD hh:mm:ss\"]   read or set the clock\n"
    "  find \"YYYY-MM-DD hh:mm:ss.mmm\"|last       the journal record of a time\n"
    "  journal [--header-only] [--continue]       journal download\n"
    "  image [--size standard|reported]           software image upload\n"
    "options:\n"
    "  --port COMn        the library's port (default: the window's)\n"
    "  --net LIST         network numbers: 33, 3,7,33 or 1-250 (default: the window's)\n"
    "  --portion BYTES    portion: 16 .. 1024 (default: the window's)\n"
    "  --phone NUMBER     dial through the modem\n"
    "  -o FILE            file; {net} and {date} are replaced (default j{net}.dat, "
    "flash{net}.bin)\n"
    "  --continue         fetch only the rest of a broken journal download (FILE.part)\n"
    "  --size CHOICE      an image size other than 524288 or 589824: standard or reported\n"
    "  --force            replace existing files\n"
    "  --json             one JSON document on standard output\n"
    "  --version          the program's version\n"
    "exit codes: 0 all done, 1 some controllers failed, 2 bad usage, 3 no link library\n";

QString CliOptions::outputFor(int net, const QString &date) const
{
    QString name = output;
    if (name.isEmpty())
        name = command == QLatin1String("image") ? QStringLiteral("flash{net}.bin")
                                                 : QStringLiteral("j{net}.dat");
    name.replace(QLatin1String("{net}"), QString::number(net));
    name.replace(QLatin1String("{date}"), date);
    return name;
}

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

// "2026-12-09 10:05:07" (or with ".250" milliseconds when wanted) into its
// fields; false for anything that is not a date and time of the calendar.
static bool parseDateTime(const QString &text, bool withMilliseconds, JournalDateTime &t)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})[ T](\\d{1,2}):(\\d{1,2}):(\\d{1,2})"
                       "(?:\\.(\\d{1,3}))?$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch() || (!withMilliseconds && m.hasCaptured(7)))
        return false;
    const auto n = [&](int i) { return m.captured(i).toInt(); };
    if (!QDate(n(1), n(2), n(3)).isValid() || n(4) > 23 || n(5) > 59 || n(6) > 59)
        return false;
    t.year = uint16_t(n(1));
    t.month = uint8_t(n(2));
    t.day = uint8_t(n(3));
    t.hours = uint8_t(n(4));
    t.minutes = uint8_t(n(5));
    t.seconds = uint8_t(n(6));
    // ".25" is a quarter of a second, as written.
    t.milliseconds = m.hasCaptured(7) ? uint16_t(m.captured(7).leftJustified(3, u'0').toInt()) : 0;
    return true;
}

QString parseArguments(const QStringList &args, CliOptions &o)
{
    if (args.isEmpty())
        return QStringLiteral("no command given");
    o.command = args[0];
    static const QStringList commands = {QStringLiteral("ports"),   QStringLiteral("scan"),
                                         QStringLiteral("info"),    QStringLiteral("power"),
                                         QStringLiteral("clock"),   QStringLiteral("find"),
                                         QStringLiteral("journal"), QStringLiteral("image")};
    if (!commands.contains(o.command))
        return QStringLiteral("unknown command %1").arg(o.command);
    const bool find = o.command == QLatin1String("find");
    bool netGiven = false;
    bool keyGiven = false;
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
        } else if (a == QLatin1String("--header-only") && o.command == QLatin1String("journal")) {
            o.headerOnly = true;
        } else if (a == QLatin1String("--continue") && o.command == QLatin1String("journal")) {
            o.resume = true;
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
        } else if (a == QLatin1String("--set") && o.command == QLatin1String("clock")) {
            if (!value(v))
                return QStringLiteral("--set needs now or \"YYYY-MM-DD hh:mm:ss\"");
            o.setClock = true;
            o.setNow = v == QLatin1String("now");
            if (!o.setNow && !parseDateTime(v, false, o.setTo))
                return QStringLiteral("--set needs now or a date and time \"YYYY-MM-DD hh:mm:ss\"");
        } else if (a == QLatin1String("--size") && o.command == QLatin1String("image")) {
            if (!value(v) || (v != QLatin1String("standard") && v != QLatin1String("reported")))
                return QStringLiteral("--size needs standard or reported");
            o.flashSize = v == QLatin1String("standard") ? FlashSizeChoice::Standard
                                                         : FlashSizeChoice::Reported;
        } else if (find && !keyGiven && !a.startsWith(u'-')) {
            keyGiven = true;
            if (a == QLatin1String("last")) {
                // The greatest key there is: the controller answers with its newest record.
                o.findStamp = {65535, 12, 31, 23, 59, 59, 999};
            } else if (!parseDateTime(a, true, o.findStamp)) {
                return QStringLiteral(
                    "find needs last or a date and time \"YYYY-MM-DD hh:mm:ss.mmm\"");
            }
        } else {
            return QStringLiteral("unknown option %1").arg(a);
        }
    }
    if (find && !keyGiven)
        return QStringLiteral("find needs last or a date and time \"YYYY-MM-DD hh:mm:ss.mmm\"");
    if (o.command == QLatin1String("scan") && !netGiven)
        parseNets(QStringLiteral("1-250"), o.nets);
    const bool toFiles =
        o.command == QLatin1String("journal") || o.command == QLatin1String("image");
    if (toFiles && o.nets.size() > 1 && !o.output.isEmpty() &&
        !o.output.contains(QLatin1String("{net}")))
        return QStringLiteral("-o needs {net} in the name for several network numbers");
    return QString();
}

} // namespace vestan
