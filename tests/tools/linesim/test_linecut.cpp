#include "tools/linesim/linecut.h"

#include <gtest/gtest.h>

namespace vestan::linesim {
namespace {

constexpr std::int64_t kMs = 1'000'000;

TEST(LinesimCut, NeverDiesWithoutConfiguration)
{
    LineCut cut({});
    const LineCut::Run run = cut.next(1 << 20, 0);
    EXPECT_EQ(run.length, std::size_t(1) << 20);
    EXPECT_FALSE(run.dead);
    EXPECT_EQ(cut.cuts(), 0u);
}

TEST(LinesimCut, DiesExactlyAfterTheCountForTheWindow)
{
    LineCut cut({.after = 1000, .every = 0, .durationNs = 50 * kMs});
    // 600 + 600 offered: the second chunk is split at byte 1000.
    EXPECT_EQ(cut.next(600, 0).length, 600u);
    const LineCut::Run live = cut.next(600, 1 * kMs);
    EXPECT_EQ(live.length, 400u);
    EXPECT_FALSE(live.dead);
    const LineCut::Run dead = cut.next(200, 1 * kMs);
    EXPECT_EQ(dead.length, 200u);
    EXPECT_TRUE(dead.dead);
    EXPECT_TRUE(cut.next(10, 51 * kMs - 1).dead);
    EXPECT_FALSE(cut.next(10, 51 * kMs).dead);
    EXPECT_EQ(cut.cuts(), 1u);
    EXPECT_FALSE(cut.next(1 << 20, 100 * kMs).dead) << "a single cut must not come back";
}

TEST(LinesimCut, RepeatsEveryCountOfLiveBytes)
{
    LineCut cut({.after = 100, .every = 300, .durationNs = 10 * kMs});
    EXPECT_EQ(cut.next(1000, 0).length, 100u);
    EXPECT_TRUE(cut.next(1000, 0).dead);
    // Bytes lost while dead do not count towards the next cut.
    const LineCut::Run next = cut.next(1000, 20 * kMs);
    EXPECT_EQ(next.length, 300u);
    EXPECT_FALSE(next.dead);
    EXPECT_TRUE(cut.next(1, 20 * kMs).dead);
    EXPECT_EQ(cut.cuts(), 2u);
}

TEST(LinesimCut, ZeroAfterStartsDeadAndZeroWindowLosesNothing)
{
    LineCut startsDead({.after = 0, .every = 0, .durationNs = 5 * kMs});
    EXPECT_TRUE(startsDead.next(10, 0).dead);
    EXPECT_FALSE(startsDead.next(10, 5 * kMs).dead);

    LineCut blink({.after = 10, .every = 10, .durationNs = 0});
    std::size_t live = 0;
    for (int i = 0; i < 10; ++i) {
        for (std::size_t left = 7; left > 0;) {
            const LineCut::Run run = blink.next(left, 0);
            EXPECT_FALSE(run.dead);
            live += run.length;
            left -= run.length;
        }
    }
    EXPECT_EQ(live, 70u);
    EXPECT_EQ(blink.cuts(), 7u);
}

} // namespace
} // namespace vestan::linesim
