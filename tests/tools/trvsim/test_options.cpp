#include "tools/trvsim/options.h"

#include <gtest/gtest.h>

using namespace vestan::trvsim;

namespace {

std::optional<SimOptions> parse(std::vector<std::string> args, std::string *error = nullptr)
{
    std::string e;
    auto o = parseOptions(args, e);
    if (error != nullptr)
        *error = e;
    return o;
}

} // namespace

TEST(TrvsimOptions, DefaultsServeNetwork33WithAHalfMegabyteImage)
{
    const auto o = parse({});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->net, 33);
    EXPECT_EQ(o->flashSize, 524288u);
    EXPECT_TRUE(o->handlerVersion.has_value());
    EXPECT_FALSE(o->modem);
}

TEST(TrvsimOptions, EveryKnobIsRead)
{
    const auto o = parse({"--link",
                          "/tmp/x",
                          "--net=7",
                          "--dump",
                          "/tmp/d",
                          "--records",
                          "65535",
                          "--record-size",
                          "256",
                          "--variables",
                          "200",
                          "--flash-size",
                          "0",
                          "--handler-version",
                          "1.2.3.4/2020-02-29",
                          "--power",
                          "12.5,49.9,-3",
                          "--modem-fail",
                          "NO ANSWER",
                          "--guard-ms",
                          "50",
                          "--reply-delay-ms",
                          "10",
                          "--byte-gap-ms",
                          "2",
                          "--wrong-count",
                          "--foreign-net",
                          "--oversize=77"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->link, "/tmp/x");
    EXPECT_EQ(o->net, 7);
    EXPECT_EQ(o->dumpDir, "/tmp/d");
    EXPECT_EQ(o->records, 65535u);
    EXPECT_EQ(o->recordSize, 256);
    EXPECT_EQ(o->variables, 200);
    EXPECT_EQ(o->flashSize, 0u);
    ASSERT_TRUE(o->handlerVersion);
    EXPECT_EQ(o->handlerVersion->number[3], 4);
    EXPECT_EQ(o->handlerVersion->year, 2020);
    EXPECT_EQ(o->handlerVersion->day, 29);
    EXPECT_FLOAT_EQ(o->power.frequency, 49.9f);
    EXPECT_FLOAT_EQ(o->power.temperature, -3.0f);
    EXPECT_TRUE(o->modem);
    EXPECT_EQ(o->modemFail, "NO ANSWER");
    EXPECT_EQ(o->guardMs, 50);
    EXPECT_EQ(o->replyDelayMs, 10);
    EXPECT_EQ(o->byteGapMs, 2);
    EXPECT_TRUE(o->wrongCount);
    EXPECT_TRUE(o->foreignNet);
    EXPECT_EQ(o->oversize, 77u);
    EXPECT_EQ(parse({"--oversize"})->oversize, 1100u);
    EXPECT_FALSE(parse({"--handler-version", "off"})->handlerVersion.has_value());
}

TEST(TrvsimOptions, MistakesAreRefusedWithAReason)
{
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {"--net", "0"},
             {"--net", "251"},
             {"--net"},
             {"--records", "65536"},
             {"--record-size", "10"},
             {"--record-size", "11"}, // 16 variables do not fit
             {"--handler-version", "1.2.3/2020-01-01"},
             {"--handler-version", "1.2.3.256/2020-01-01"},
             {"--handler-version", "1.2.3.4/2020-13-01"},
             {"--power", "1,2"},
             {"--power", "1,2,x"},
             {"--modem-fail", "HELLO"},
             {"--flash-size", "-1"},
             {"--byte-gap-ms", "5ms"},
             {"--whatever"},
         }) {
        std::string error;
        EXPECT_FALSE(parse(args, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
    std::string error = "x";
    EXPECT_FALSE(parse({"--help"}, &error));
    EXPECT_TRUE(error.empty());
}
