#include "tools/linesim/options.h"

#include <gtest/gtest.h>

namespace vestan::linesim {
namespace {

ParseResult parse(std::vector<std::string> args)
{
    return parseOptions(args);
}

TEST(LinesimOptions, ReadsEveryOption)
{
    const ParseResult r =
        parse({"--a",           "/tmp/x", "--b=/tmp/y",   "--baud",      "115200",
               "--latency-ms",  "2.5",    "--seed",       "99",          "--corrupt",
               "1e-4",          "--drop", "0.5",          "--cut-after", "4096",
               "--cut-ms",      "300",    "--cut-every",  "100000",      "--noise-burst",
               "--noise-every", "777",    "--duration-s", "1.5",         "--stats",
               "/tmp/s"});
    ASSERT_EQ(r.error, "");
    const Options &o = r.options;
    EXPECT_EQ(o.linkA, "/tmp/x");
    EXPECT_EQ(o.linkB, "/tmp/y");
    EXPECT_EQ(o.baud, 115200u);
    EXPECT_EQ(o.latencyNs, 2'500'000);
    EXPECT_EQ(o.faults.seed, 99u);
    EXPECT_DOUBLE_EQ(o.faults.corrupt, 1e-4);
    EXPECT_DOUBLE_EQ(o.faults.drop, 0.5);
    EXPECT_EQ(o.cut.after, 4096u);
    EXPECT_EQ(o.cut.durationNs, 300'000'000);
    EXPECT_EQ(o.cut.every, 100000u);
    EXPECT_TRUE(o.faults.noise);
    EXPECT_EQ(o.faults.noiseEvery, 777u);
    EXPECT_EQ(o.durationNs, 1'500'000'000);
    EXPECT_EQ(o.statsFile, "/tmp/s");
}

TEST(LinesimOptions, RefusesBadValuesWithAReason)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--drop", "1.5"},
        {"--corrupt", "-0.1"},
        {"--corrupt", "nan"},
        {"--baud", "96OO"},
        {"--baud", "-9600"},
        {"--latency-ms", "x"},
        {"--cut-after", "10"},
        {"--cut-ms", "10"},
        {"--cut-every", "5"},
        {"--noise-every", "100"},
        {"--noise-every", "0", "--noise-burst"},
        {"--duration-s", "0"},
        {"--frobnicate"},
        {"--a"},
        {"--a", "/tmp/l", "--b", "/tmp/l"},
    };
    for (const auto &args : bad)
        EXPECT_NE(parse(args).error, "") << args[0];
}

} // namespace
} // namespace vestan::linesim
