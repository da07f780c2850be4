#include "options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace vestan::linesim {

namespace {

constexpr std::uint64_t kMaxBaud = 1'000'000'000;
constexpr double kMaxMilliseconds = 86'400'000.0; // one day
constexpr double kNsPerMs = 1e6;

template <typename Number> bool readNumber(const std::string &text, Number &value)
{
    const char *end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty() && std::isfinite(double(value));
}

} // namespace

std::string usageText()
{
    return "usage: linesim [--a PATH] [--b PATH] [--baud N] [--latency-ms MS] [--seed N]\n"
           "               [--corrupt P] [--drop P] [--cut-after BYTES --cut-ms MS [--cut-every "
           "BYTES]]\n"
           "               [--noise-burst [--noise-every BYTES]] [--duration-s S] [--stats FILE]\n"
           "Forwards bytes between two pseudo-terminals like a serial line with faults.\n"
           "  --a PATH, --b PATH   symbolic links made to the two line ends\n"
           "  --baud N             8N1 line speed, N/10 bytes a second each way; 0 = unpaced "
           "(default)\n"
           "  --latency-ms MS      one-way delay\n"
           "  --seed N             seed of the fault generator (default 1)\n"
           "  --corrupt P          each byte flipped with probability P\n"
           "  --drop P             each byte lost with probability P\n"
           "  --cut-after BYTES    after BYTES have passed (both ways) the line goes dead...\n"
           "  --cut-ms MS          ...for MS milliseconds\n"
           "  --cut-every BYTES    and again every BYTES passed after that\n"
           "  --noise-burst        inject runs of 1..32 garbage bytes now and then\n"
           "  --noise-every BYTES  average bytes between two bursts (default 65536)\n"
           "  --duration-s S       end after S seconds (otherwise on SIGINT/SIGTERM)\n"
           "  --stats FILE         write the closing statistics to FILE instead of stderr\n"
           "  --version            the emulator's version\n";
}

ParseResult parseOptions(const std::vector<std::string> &args)
{
    ParseResult result;
    Options &o = result.options;
    std::optional<double> cutMs;
    bool noiseEveryGiven = false;

    auto fail = [&](const std::string &text) {
        result.error = text;
        return result;
    };
    auto probability = [](double &target) {
        return [&target](const std::string &v) {
            return readNumber(v, target) && target >= 0.0 && target <= 1.0
                       ? std::string()
                       : std::string("must be a probability from 0 to 1");
        };
    };
    auto path = [](std::string &target) {
        return [&target](const std::string &v) {
            target = v;
            return v.empty() ? std::string("must not be empty") : std::string();
        };
    };
    auto milliseconds = [](auto store) {
        return [store](const std::string &v) {
            double ms = 0;
            if (!readNumber(v, ms) || ms < 0 || ms > kMaxMilliseconds)
                return std::string("must be a number of milliseconds from 0 to 86400000");
            store(ms);
            return std::string();
        };
    };
    auto count = [](auto store, std::uint64_t minimum) {
        return [store, minimum](const std::string &v) {
            std::uint64_t n = 0;
            if (!readNumber(v, n) || n < minimum)
                return std::string("must be a whole number of at least ") + std::to_string(minimum);
            store(n);
            return std::string();
        };
    };

    using Reader = std::function<std::string(const std::string &)>;
    const std::map<std::string, Reader> valued = {
        {"--a", path(o.linkA)},
        {"--b", path(o.linkB)},
        {"--stats", path(o.statsFile)},
        {"--baud", count([&](std::uint64_t n) { o.baud = n; }, 0)},
        {"--seed", count([&](std::uint64_t n) { o.faults.seed = n; }, 0)},
        {"--cut-after", count([&](std::uint64_t n) { o.cut.after = n; }, 0)},
        {"--cut-every", count([&](std::uint64_t n) { o.cut.every = n; }, 1)},
        {"--noise-every", count(
                              [&](std::uint64_t n) {
                                  o.faults.noiseEvery = n;
                                  noiseEveryGiven = true;
                              },
                              1)},
        {"--corrupt", probability(o.faults.corrupt)},
        {"--drop", probability(o.faults.drop)},
        {"--latency-ms",
         milliseconds([&](double ms) { o.latencyNs = std::llround(ms * kNsPerMs); })},
        {"--cut-ms", milliseconds([&](double ms) { cutMs = ms; })},
        {"--duration-s",
         [&](const std::string &v) {
             double s = 0;
             if (!readNumber(v, s) || s <= 0 || s > kMaxMilliseconds / 1000)
                 return std::string("must be a number of seconds above 0, at most 86400");
             o.durationNs = std::llround(s * 1e9);
             return std::string();
         }},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "-h") {
            o.help = true;
            continue;
        }
        if (name == "--noise-burst" && !inlineValue) {
            o.faults.noise = true;
            continue;
        }
        auto reader = valued.find(name);
        if (reader == valued.end())
            return fail("unknown option " + args[i]);
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else {
            if (i + 1 >= args.size())
                return fail(name + " needs a value");
            value = args[++i];
        }
        if (std::string problem = reader->second(value); !problem.empty())
            return fail(name + " " + value + ": " + problem);
    }

    if (o.baud > kMaxBaud)
        return fail("--baud: at most " + std::to_string(kMaxBaud));
    if (o.cut.after.has_value() != cutMs.has_value())
        return fail("--cut-after and --cut-ms go together");
    if (o.cut.every > 0 && !o.cut.after)
        return fail("--cut-every needs --cut-after and --cut-ms");
    if (cutMs)
        o.cut.durationNs = std::llround(*cutMs * kNsPerMs);
    if (noiseEveryGiven && !o.faults.noise)
        return fail("--noise-every needs --noise-burst");
    if (!o.linkA.empty() && o.linkA == o.linkB)
        return fail("--a and --b must name different links");
    return result;
}

} // namespace vestan::linesim
