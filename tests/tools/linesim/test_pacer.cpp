#include "tools/linesim/pacer.h"

#include <gtest/gtest.h>
#include <random>

namespace vestan::linesim {
namespace {

constexpr std::int64_t kSecond = 1'000'000'000;

// A sender that always has data: wakes at jittery moments and takes what the
// line has carried. Returns the bytes taken by `endNs`.
std::uint64_t busyTransfer(Pacer &pacer, std::int64_t startNs, std::int64_t endNs, unsigned seed)
{
    std::mt19937_64 jitter(seed);
    pacer.wake(startNs);
    std::uint64_t taken = 0;
    for (std::int64_t now = startNs; now < endNs; now += 1 + std::int64_t(jitter() % 3'000'000)) {
        const std::uint64_t n = pacer.available(now);
        pacer.take(n);
        taken += n;
    }
    return taken + pacer.available(endNs);
}

TEST(LinesimPacer, CarriesExactlyTheLineRateOverATransfer)
{
    for (std::uint64_t baud : {300u, 9600u, 115200u, 921600u}) {
        Pacer pacer(baud);
        const std::int64_t start = 5 * kSecond;
        const std::uint64_t taken =
            busyTransfer(pacer, start, start + 37 * kSecond, unsigned(baud));
        // 8N1: ten bits a byte, whatever the wake-up pattern.
        EXPECT_EQ(taken, baud * 37 / 10) << baud;
    }
}

TEST(LinesimPacer, StartsFromNothingAfterIdle)
{
    Pacer pacer(9600); // 960 bytes a second, 1041667 ns a byte
    pacer.wake(0);
    EXPECT_EQ(pacer.available(0), 0u);
    EXPECT_EQ(pacer.available(1'041'666), 0u);
    EXPECT_EQ(pacer.available(1'041'667), 1u);
    pacer.take(1);
    // A long pause does not store up credit for a burst.
    pacer.wake(10 * kSecond);
    EXPECT_EQ(pacer.available(10 * kSecond), 0u);
    EXPECT_EQ(pacer.readyAt(1), 10 * kSecond + 1'041'667);
    EXPECT_EQ(pacer.available(pacer.readyAt(5)), 5u);
    EXPECT_EQ(pacer.available(pacer.readyAt(5) - 1), 4u);
}

TEST(LinesimPacer, WakeWhileStillSendingKeepsTheBacklog)
{
    Pacer pacer(96000); // 9600 bytes a second
    pacer.wake(0);
    pacer.take(pacer.available(kSecond));
    // The line is busy until one second: bytes offered before then queue
    // behind, they do not restart the clock.
    pacer.wake(kSecond - 50'000);
    EXPECT_EQ(pacer.available(2 * kSecond), 9600u);
}

TEST(LinesimPacer, StaysExactOverHours)
{
    Pacer pacer(115200);
    const std::uint64_t taken = busyTransfer(pacer, 0, 3 * 3600 * kSecond, 1);
    EXPECT_EQ(taken, 11520ull * 3 * 3600);
}

TEST(LinesimPacer, UnpacedIsUnlimited)
{
    Pacer pacer(0);
    EXPECT_TRUE(pacer.unpaced());
    EXPECT_GT(pacer.available(0), std::uint64_t(1) << 40);
}

} // namespace
} // namespace vestan::linesim
