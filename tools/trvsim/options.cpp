#include "tools/trvsim/options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <type_traits>

namespace vestan::trvsim {
namespace {

bool parseInteger(const std::string &text, int64_t low, int64_t high, int64_t &out)
{
    if (text.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || value < low || value > high)
        return false;
    out = value;
    return true;
}

bool parseFloat(const std::string &text, float &out)
{
    errno = 0;
    char *end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

bool parsePower(const std::string &text, PowerReadings &out)
{
    const auto parts = split(text, ',');
    PowerReadings p;
    if (parts.size() != 3 || !parseFloat(parts[0], p.voltage) ||
        !parseFloat(parts[1], p.frequency) || !parseFloat(parts[2], p.temperature))
        return false;
    out = p;
    return true;
}

std::optional<ForgedBursts> parseForgedBursts(const std::string &text)
{
    const auto parts = split(text, ':');
    if (parts.empty() || parts.size() > 3 || parts[0].empty() || parts[0].size() > 4)
        return std::nullopt;
    ForgedBursts f;
    char *end = nullptr;
    const unsigned long code = std::strtoul(parts[0].c_str(), &end, 16);
    if (*end != '\0')
        return std::nullopt;
    f.code = uint16_t(code);
    int64_t n = 0;
    if (parts.size() >= 2) {
        if (!parseInteger(parts[1], 0, 0xFFFFFFFF, n))
            return std::nullopt;
        f.byte = uint32_t(n);
    }
    if (parts.size() == 3) {
        if (!parseInteger(parts[2], 0, 1000000, n))
            return std::nullopt;
        f.times = uint32_t(n);
    }
    return f;
}

} // namespace

bool parseHandlerVersion(const std::string &text, HandlerVersion &out)
{
    const auto halves = split(text, '/');
    if (halves.size() != 2)
        return false;
    const auto numbers = split(halves[0], '.');
    const auto date = split(halves[1], '-');
    if (numbers.size() != 4 || date.size() != 3)
        return false;
    HandlerVersion v;
    int64_t n = 0;
    for (int i = 0; i < 4; ++i) {
        if (!parseInteger(numbers[size_t(i)], 0, 255, n))
            return false;
        v.number[i] = uint8_t(n);
    }
    int64_t year = 0, month = 0, day = 0;
    if (!parseInteger(date[0], 0, 65535, year) || !parseInteger(date[1], 1, 12, month) ||
        !parseInteger(date[2], 1, 31, day))
        return false;
    v.year = uint16_t(year);
    v.month = uint8_t(month);
    v.day = uint8_t(day);
    out = v;
    return true;
}

std::string usage()
{
    return "usage: trvsim [options]\n"
           "  --device PATH          serve this tty instead of a new pseudo-terminal\n"
           "  --baud N               line speed of --device (115200)\n"
           "  --link PATH            symbolic link to the line (replaced if present)\n"
           "  --net N[,N...]         network numbers answered, 1..250 (33); several\n"
           "                         numbers are several controllers on the line\n"
           "  --dump DIR             write every readable object and journal.dat to DIR\n"
           "  --records N            journal records, 0..65535 (1000)\n"
           "  --record-size N        bytes per record, 11..65535 (64)\n"
           "  --variables N          max. variables per record (16)\n"
           "  --flash-size BYTES     software image size (524288)\n"
           "  --handler-version V    a.b.c.d/yyyy-mm-dd, or off to stay silent "
           "(2.1.0.5/2007-03-03)\n"
           "  --power V,F,T          voltage, frequency, temperature (230.5,50,36.25)\n"
           "  --modem                a Hayes modem sits before the controller\n"
           "  --modem-fail WORD      answer dialling with BUSY, NO CARRIER, NO DIALTONE,\n"
           "                         NO ANSWER, or SILENT (never answer)\n"
           "  --guard-ms MS          the modem's escape guard time (1000)\n"
           "  --reply-delay-ms MS    wait before every reply\n"
           "  --byte-gap-ms MS       wait between the bytes of a reply\n"
           "  --wrong-count          replies carry one byte less (or more) than asked\n"
           "  --foreign-net          replies carry another network number\n"
           "  --oversize[=BYTES]     add BYTES (1100) to every reply\n"
           "  --forge-burst CODE[:BYTE[:TIMES]]\n"
           "                         replies of object CODE (hex; block reads only when\n"
           "                         they hold BYTE) carry a burst whose check sum passes,\n"
           "                         TIMES times (1; 0 every time)\n"
           "  --version              the simulator's version\n";
}

std::optional<SimOptions> parseOptions(const std::vector<std::string> &args, std::string &error)
{
    SimOptions o;
    const auto fail = [&](const std::string &what) {
        error = what;
        return std::nullopt;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string inlineValue;
        bool hasInline = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasInline = true;
        }
        const auto value = [&](std::string &out) {
            if (hasInline) {
                out = inlineValue;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        // A whole number of the range into the option's member.
        const auto integer = [&](int64_t low, int64_t high, auto &member) {
            std::string text;
            int64_t number = 0;
            if (!value(text) || !parseInteger(text, low, high, number))
                return false;
            member = std::remove_reference_t<decltype(member)>(number);
            return true;
        };
        int64_t n = 0;
        std::string text;
        if (name == "--help" || name == "-h") {
            error.clear();
            return std::nullopt;
        } else if (name == "--device") {
            if (!value(o.device) || o.device.empty())
                return fail("--device needs a path");
        } else if (name == "--baud") {
            if (!integer(50, 4000000, o.baud))
                return fail("--baud needs a speed of 50 .. 4000000");
        } else if (name == "--link") {
            if (!value(o.link) || o.link.empty())
                return fail("--link needs a path");
        } else if (name == "--net") {
            o.nets.clear();
            if (!value(text) || text.empty())
                return fail("--net needs numbers of 1 .. 250, separated by commas");
            for (const std::string &part : split(text, ',')) {
                if (!parseInteger(part, 1, 250, n))
                    return fail("--net needs numbers of 1 .. 250, separated by commas");
                if (std::find(o.nets.begin(), o.nets.end(), int(n)) == o.nets.end())
                    o.nets.push_back(int(n));
            }
            o.net = o.nets.front();
        } else if (name == "--dump") {
            if (!value(o.dumpDir) || o.dumpDir.empty())
                return fail("--dump needs a directory");
        } else if (name == "--records") {
            if (!integer(0, 65535, o.records))
                return fail("--records needs a number of 0 .. 65535");
        } else if (name == "--record-size") {
            if (!integer(11, 65535, o.recordSize))
                return fail("--record-size needs a number of 11 .. 65535");
        } else if (name == "--variables") {
            if (!integer(0, 65535, o.variables))
                return fail("--variables needs a number of 0 .. 65535");
        } else if (name == "--flash-size") {
            if (!integer(0, 256 << 20, o.flashSize))
                return fail("--flash-size needs a size of 0 .. 268435456 bytes");
        } else if (name == "--handler-version") {
            if (!value(text))
                return fail("--handler-version needs a.b.c.d/yyyy-mm-dd or off");
            if (text == "off") {
                o.handlerVersion.reset();
            } else {
                HandlerVersion v;
                if (!parseHandlerVersion(text, v))
                    return fail("--handler-version needs a.b.c.d/yyyy-mm-dd or off");
                o.handlerVersion = v;
            }
        } else if (name == "--power") {
            if (!value(text) || !parsePower(text, o.power))
                return fail("--power needs three numbers: V,F,T");
        } else if (name == "--modem") {
            o.modem = true;
        } else if (name == "--modem-fail") {
            if (!value(o.modemFail))
                return fail("--modem-fail needs a word");
            const std::vector<std::string> words = {"BUSY", "NO CARRIER", "NO DIALTONE",
                                                    "NO ANSWER", "SILENT"};
            if (std::find(words.begin(), words.end(), o.modemFail) == words.end())
                return fail("--modem-fail takes BUSY, NO CARRIER, NO DIALTONE, NO ANSWER or "
                            "SILENT");
            o.modem = true;
        } else if (name == "--guard-ms") {
            if (!integer(1, 60000, o.guardMs))
                return fail("--guard-ms needs 1 .. 60000");
        } else if (name == "--reply-delay-ms") {
            if (!integer(0, 600000, o.replyDelayMs))
                return fail("--reply-delay-ms needs 0 .. 600000");
        } else if (name == "--byte-gap-ms") {
            if (!integer(0, 60000, o.byteGapMs))
                return fail("--byte-gap-ms needs 0 .. 60000");
        } else if (name == "--wrong-count") {
            o.wrongCount = true;
        } else if (name == "--foreign-net") {
            o.foreignNet = true;
        } else if (name == "--oversize") {
            o.oversize = 1100;
            if (hasInline && !integer(1, 60000, o.oversize))
                return fail("--oversize=BYTES needs 1 .. 60000");
        } else if (name == "--forge-burst") {
            const auto forged = value(text) ? parseForgedBursts(text) : std::nullopt;
            if (!forged)
                return fail("--forge-burst needs CODE[:BYTE[:TIMES]], CODE in hex");
            o.forgeBurst = forged;
        } else {
            return fail("unknown option " + args[i]);
        }
    }
    if (o.variables > o.recordSize - 11)
        return fail("--variables must leave the 11-byte record head in the record");
    if (o.nets.empty())
        o.nets.push_back(o.net);
    return o;
}

SimOptions controllerOptions(const SimOptions &line, int net)
{
    SimOptions o = line;
    o.net = net;
    o.nets = {net};
    if (line.nets.size() > 1) {
        // A journal length and a version digit of its own: a mix-up between
        // controllers shows in the files.
        o.records = line.records + uint32_t(net);
        if (o.handlerVersion)
            o.handlerVersion->number[3] = uint8_t(net);
    }
    return o;
}

} // namespace vestan::trvsim
