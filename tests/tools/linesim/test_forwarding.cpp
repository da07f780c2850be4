// End to end: bin/linesim between two pseudo-terminals, driven as a client
// would drive a serial port.

#include "linesimprocess.h"

#include "tools/linesim/faultmodel.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vestan::linesim::test {
namespace {

namespace fs = std::filesystem;

bool exitedCleanly(int status)
{
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What the fault model lets through one direction for these options.
Bytes expectedOutput(const FaultConfig &config, unsigned direction, const Bytes &in,
                     FaultCounts &counts)
{
    FaultModel model(config, direction);
    Bytes out;
    model.apply(in, out);
    counts = model.counts();
    return out;
}

TEST(Linesim, ForwardsBothWaysIntactWhenUnpaced)
{
    LinesimProcess line({});
    ASSERT_TRUE(line.ready()) << line.failure();
    LineEnd a(line.endA());
    LineEnd b(line.endB());
    ASSERT_TRUE(a.isOpen() && b.isOpen());

    const std::size_t size = 4 << 20;
    Flow ab{&a, &b, randomBytes(size, 1), size};
    Flow ba{&b, &a, randomBytes(size, 2), size};
    ASSERT_TRUE(pump({&ab, &ba}));
    EXPECT_TRUE(ab.in == ab.out);
    EXPECT_TRUE(ba.in == ba.out);

    ASSERT_TRUE(exitedCleanly(line.stop(SIGTERM)));
    auto stats = line.stats();
    for (const char *dir : {"a_to_b", "b_to_a"}) {
        EXPECT_EQ(stats[dir]["bytes_in"], size) << dir;
        EXPECT_EQ(stats[dir]["bytes_out"], size) << dir;
        EXPECT_EQ(stats[dir]["dropped"] + stats[dir]["corrupted"] + stats[dir]["noise"] +
                      stats[dir]["cut"] + stats[dir]["undelivered"],
                  0u)
            << dir;
    }
}

TEST(Linesim, DroppedBytesAreTheMissingBytes)
{
    const FaultConfig config{.drop = 0.01, .seed = 7};
    LinesimProcess line({"--drop", "0.01", "--seed", "7"});
    ASSERT_TRUE(line.ready()) << line.failure();
    LineEnd a(line.endA());
    LineEnd b(line.endB());

    const Bytes sent = randomBytes(300000, 3);
    FaultCounts model;
    const Bytes expected = expectedOutput(config, 0, sent, model);
    Flow ab{&a, &b, sent, expected.size()};
    ASSERT_TRUE(pump({&ab}));
    EXPECT_TRUE(ab.in == expected) << "the seeded faults must be the same every run";
    EXPECT_TRUE(isSubsequence(ab.in, sent));

    ASSERT_TRUE(exitedCleanly(line.stop(SIGTERM)));
    auto s = line.stats()["a_to_b"];
    EXPECT_EQ(s["dropped"], sent.size() - ab.in.size());
    EXPECT_EQ(s["bytes_out"], ab.in.size());
    EXPECT_EQ(s["corrupted"], 0u);
    EXPECT_NEAR(double(s["dropped"]), 3000.0, 300.0);
}

TEST(Linesim, CorruptedBytesAreTheDifferingBytes)
{
    const FaultConfig config{.corrupt = 0.01, .seed = 5};
    LinesimProcess line({"--corrupt", "0.01", "--seed", "5", "--baud", "0"});
    ASSERT_TRUE(line.ready()) << line.failure();
    LineEnd a(line.endA());
    LineEnd b(line.endB());

    // The other way this time: b to a.
    const Bytes sent = randomBytes(300000, 4);
    Flow ba{&b, &a, sent, sent.size()};
    ASSERT_TRUE(pump({&ba}));
    std::uint64_t differing = 0;
    for (std::size_t i = 0; i < sent.size(); ++i)
        differing += ba.in[i] != sent[i];
    FaultCounts model;
    EXPECT_TRUE(ba.in == expectedOutput(config, 1, sent, model));

    ASSERT_TRUE(exitedCleanly(line.stop(SIGTERM)));
    auto stats = line.stats();
    EXPECT_EQ(stats["b_to_a"]["corrupted"], differing);
    EXPECT_NEAR(double(differing), 3000.0, 300.0);
    EXPECT_EQ(stats["a_to_b"]["bytes_in"], 0u);
}

TEST(Linesim, NoiseBurstsAppearAndAreCounted)
{
    const FaultConfig config{.noise = true, .noiseEvery = 2000, .seed = 1};
    LinesimProcess line({"--noise-burst", "--noise-every", "2000"});
    ASSERT_TRUE(line.ready()) << line.failure();
    LineEnd a(line.endA());
    LineEnd b(line.endB());

    const Bytes sent = randomBytes(100000, 5);
    FaultCounts model;
    const Bytes expected = expectedOutput(config, 0, sent, model);
    ASSERT_GT(expected.size(), sent.size());
    Flow ab{&a, &b, sent, expected.size()};
    ASSERT_TRUE(pump({&ab}));
    EXPECT_TRUE(ab.in == expected);
    EXPECT_TRUE(isSubsequence(sent, ab.in));

    ASSERT_TRUE(exitedCleanly(line.stop(SIGTERM)));
    auto s = line.stats()["a_to_b"];
    EXPECT_EQ(s["noise"], ab.in.size() - sent.size());
    EXPECT_GE(s["noise_bursts"], 20u);
    EXPECT_EQ(s["bytes_out"], ab.in.size());
}

TEST(Linesim, CutLosesExactlyTheBytesOfTheDeadWindow)
{
    const std::size_t before = 5000;
    const int windowMs = 1000;
    LinesimProcess line(
        {"--cut-after", std::to_string(before), "--cut-ms", std::to_string(windowMs)});
    ASSERT_TRUE(line.ready()) << line.failure();
    LineEnd a(line.endA());
    LineEnd b(line.endB());

    // One write runs past the count; the line dies as soon as the count is reached.
    const Bytes first = randomBytes(before + 3000, 6);
    Flow ab{&a, &b, first, before};
    ASSERT_TRUE(pump({&ab}));
    // Dead both ways: the answer sent back now is lost too.
    const Bytes answer = randomBytes(700, 7);
    Flow ba{&b, &a, answer, 0};
    ASSERT_TRUE(pump({&ba}));

    // After the window (waiting here only orders events; nothing is timed)
    // the line carries again.
    std::this_thread::sleep_for(std::chrono::milliseconds(windowMs + 200));
    const Bytes later = randomBytes(2000, 8);
    Flow ab2{&a, &b, later, later.size()};
    Flow ba2{&b, &a, later, later.size()};
    ASSERT_TRUE(pump({&ab2, &ba2}));

    ASSERT_TRUE(exitedCleanly(line.stop(SIGTERM)));
    auto stats = line.stats();
    // All that arrived is the bytes before the cut, then the bytes after it;
    // what the window swallowed is one run, and the statistics count it.
    EXPECT_TRUE(std::equal(ab.in.begin(), ab.in.end(), first.begin()));
    EXPECT_TRUE(ab2.in == later) << "bytes of the first write leaked past the cut";
    EXPECT_TRUE(ba2.in == later) << "the answer sent while dead leaked past the cut";
    EXPECT_EQ(stats["a_to_b"]["cut"], first.size() - before);
    EXPECT_EQ(stats["b_to_a"]["cut"], answer.size());
    EXPECT_EQ(stats["a_to_b"]["bytes_out"], before + later.size());
    EXPECT_EQ(stats["b_to_a"]["bytes_out"], later.size());
}

TEST(Linesim, EndsCleanlyOnSignalAndRemovesItsLinks)
{
    for (int sig : {SIGTERM, SIGINT}) {
        TempDir dir;
        const std::string linkA = dir.file("portA");
        const std::string linkB = dir.file("portB");
        fs::create_symlink("/nonexistent/left-by-a-crash", linkA);
        LinesimProcess line({"--a", linkA, "--b", linkB});
        ASSERT_TRUE(line.ready()) << line.failure();
        ASSERT_TRUE(fs::is_symlink(linkA)) << "a stale link must be replaced";
        EXPECT_EQ(fs::read_symlink(linkA).string(), line.endA());
        EXPECT_EQ(fs::read_symlink(linkB).string(), line.endB());
        {
            LineEnd a(linkA);
            LineEnd b(linkB);
            Flow ab{&a, &b, randomBytes(1000, 9), 1000};
            ASSERT_TRUE(pump({&ab}));
        }
        ASSERT_TRUE(exitedCleanly(line.stop(sig))) << sig;
        EXPECT_FALSE(fs::exists(fs::symlink_status(linkA))) << sig;
        EXPECT_FALSE(fs::exists(fs::symlink_status(linkB))) << sig;
        auto stats = line.stats();
        EXPECT_EQ(stats.size(), 2u);
        EXPECT_EQ(stats["a_to_b"]["bytes_out"], 1000u);
    }
}

TEST(Linesim, RefusesToReplaceAFileThatIsNotALink)
{
    TempDir dir;
    const std::string path = dir.file("precious");
    std::ofstream(path) << "keep me";
    LinesimProcess line({"--a", path});
    EXPECT_FALSE(line.ready());
    const int status = line.wait();
    EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 1);
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "keep me");
}

TEST(Linesim, ClientMayCloseAndReopenItsEnd)
{
    LinesimProcess line({"--latency-ms", "20"});
    ASSERT_TRUE(line.ready()) << line.failure();
    LineEnd b(line.endB());
    for (int round = 0; round < 3; ++round) {
        LineEnd a(line.endA());
        ASSERT_TRUE(a.isOpen());
        const Bytes data = randomBytes(5000, 10 + round);
        Flow ab{&a, &b, data, data.size()};
        Flow ba{&b, &a, data, data.size()};
        ASSERT_TRUE(pump({&ab, &ba})) << round;
        EXPECT_TRUE(ab.in == data && ba.in == data) << round;
    }
    ASSERT_TRUE(exitedCleanly(line.stop(SIGTERM)));
}

TEST(Linesim, PacedLineIsNeverFasterThanItsRate)
{
    // 96000 baud: 9600 bytes a second. The bound below only says the bytes
    // cannot have arrived sooner than the line could carry them, so a slow
    // machine cannot make it fail.
    LinesimProcess line({"--baud", "96000"});
    ASSERT_TRUE(line.ready()) << line.failure();
    LineEnd a(line.endA());
    LineEnd b(line.endB());
    const Bytes data = randomBytes(4800, 11);
    const auto start = std::chrono::steady_clock::now();
    Flow ab{&a, &b, data, data.size()};
    ASSERT_TRUE(pump({&ab}));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(ab.in == data);
    EXPECT_GE(seconds * 9600.0, double(data.size()) - 1.0);
    ASSERT_TRUE(exitedCleanly(line.stop(SIGTERM)));
}

TEST(Linesim, LatencyDelaysEveryByte)
{
    // Again only a lower bound: a byte cannot arrive before its delay is over.
    LinesimProcess line({"--latency-ms", "150"});
    ASSERT_TRUE(line.ready()) << line.failure();
    LineEnd a(line.endA());
    LineEnd b(line.endB());
    for (int round = 0; round < 2; ++round) {
        const Bytes data = randomBytes(100, 12 + round);
        const auto start = std::chrono::steady_clock::now();
        Flow ba{&b, &a, data, 1};
        ASSERT_TRUE(pump({&ba}));
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
        Flow rest{&b, &a, {}, data.size() - 1};
        ASSERT_TRUE(pump({&rest}));
        ba.in.insert(ba.in.end(), rest.in.begin(), rest.in.end());
        EXPECT_TRUE(ba.in == data);
    }
    ASSERT_TRUE(exitedCleanly(line.stop(SIGTERM)));
}

TEST(Linesim, EndsByItselfAfterItsDuration)
{
    LinesimProcess line({"--duration-s", "0.2"});
    ASSERT_TRUE(line.ready()) << line.failure();
    EXPECT_TRUE(exitedCleanly(line.wait()));
    EXPECT_EQ(line.stats().size(), 2u);
}

} // namespace
} // namespace vestan::linesim::test
