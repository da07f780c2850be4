#include "tools/linesim/faultmodel.h"

#include "linesimprocess.h"

#include <gtest/gtest.h>

namespace vestan::linesim {
namespace {

using test::Bytes;
using test::randomBytes;

Bytes run(const FaultConfig &config, const Bytes &in, unsigned direction = 0,
          FaultCounts *counts = nullptr)
{
    FaultModel model(config, direction);
    Bytes out;
    model.apply(in, out);
    if (counts)
        *counts = model.counts();
    return out;
}

std::size_t differing(const Bytes &a, const Bytes &b)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        n += a[i] != b[i];
    return n;
}

TEST(LinesimFaultModel, PassesBytesUntouchedWithoutFaults)
{
    const Bytes in = randomBytes(100000, 1);
    FaultCounts counts;
    EXPECT_EQ(run({}, in, 0, &counts), in);
    EXPECT_EQ(counts.dropped + counts.corrupted + counts.noiseBytes, 0u);
    EXPECT_TRUE(FaultModel({}, 0).transparent());
}

TEST(LinesimFaultModel, SameSeedGivesSameFaultsAndOtherSeedOthers)
{
    const Bytes in = randomBytes(200000, 2);
    FaultConfig config{
        .corrupt = 1e-3, .drop = 1e-3, .noise = true, .noiseEvery = 5000, .seed = 42};
    const Bytes first = run(config, in);
    EXPECT_EQ(run(config, in), first);
    EXPECT_NE(first, in);
    config.seed = 43;
    EXPECT_NE(run(config, in), first);
    config.seed = 42;
    EXPECT_NE(run(config, in, 1), first) << "both directions would suffer the same faults";
}

TEST(LinesimFaultModel, ResultDoesNotDependOnChunking)
{
    const Bytes in = randomBytes(300000, 3);
    const FaultConfig config{
        .corrupt = 2e-3, .drop = 3e-3, .noise = true, .noiseEvery = 3000, .seed = 9};
    FaultCounts whole;
    const Bytes expected = run(config, in, 0, &whole);

    FaultModel model(config, 0);
    Bytes out;
    std::mt19937_64 sizes(5);
    for (std::size_t pos = 0; pos < in.size();) {
        const std::size_t n = std::min<std::size_t>(in.size() - pos, 1 + sizes() % 700);
        model.apply({in.data() + pos, n}, out);
        pos += n;
    }
    EXPECT_EQ(out, expected);
    EXPECT_EQ(model.counts().dropped, whole.dropped);
    EXPECT_EQ(model.counts().corrupted, whole.corrupted);
    EXPECT_EQ(model.counts().noiseBytes, whole.noiseBytes);
}

TEST(LinesimFaultModel, DroppedCountIsWhatIsMissing)
{
    const Bytes in = randomBytes(400000, 4);
    FaultCounts counts;
    const Bytes out = run({.drop = 0.01, .seed = 7}, in, 0, &counts);
    EXPECT_EQ(out.size() + counts.dropped, in.size());
    EXPECT_TRUE(test::isSubsequence(out, in));
    EXPECT_EQ(counts.corrupted + counts.noiseBytes, 0u);
    // About one in a hundred; the seed makes this exact run repeatable.
    EXPECT_NEAR(double(counts.dropped), 4000.0, 400.0);
}

TEST(LinesimFaultModel, CorruptedCountIsWhatDiffers)
{
    const Bytes in = randomBytes(400000, 5);
    FaultCounts counts;
    const Bytes out = run({.corrupt = 0.01, .seed = 7}, in, 0, &counts);
    ASSERT_EQ(out.size(), in.size());
    // A flip never leaves the byte as it was, so every counted fault shows.
    EXPECT_EQ(differing(out, in), counts.corrupted);
    EXPECT_NEAR(double(counts.corrupted), 4000.0, 400.0);
}

TEST(LinesimFaultModel, CertainFaultsHitEveryByte)
{
    const Bytes in = randomBytes(1000, 6);
    EXPECT_TRUE(run({.drop = 1.0}, in).empty());
    const Bytes flipped = run({.corrupt = 1.0}, in);
    EXPECT_EQ(differing(flipped, in), in.size());
}

TEST(LinesimFaultModel, NoiseBurstsAreInsertedAndCounted)
{
    const Bytes in = randomBytes(500000, 7);
    FaultCounts counts;
    const Bytes out = run({.noise = true, .noiseEvery = 10000, .seed = 3}, in, 0, &counts);
    EXPECT_EQ(out.size(), in.size() + counts.noiseBytes);
    EXPECT_TRUE(test::isSubsequence(in, out));
    EXPECT_NEAR(double(counts.noiseBursts), 50.0, 20.0);
    EXPECT_GE(counts.noiseBytes, counts.noiseBursts);
    EXPECT_LE(counts.noiseBytes, counts.noiseBursts * FaultModel::kMaxBurst);
}

TEST(LinesimFaultModel, DropPositionsDoNotDependOnOtherFaults)
{
    const Bytes in = randomBytes(200000, 8);
    FaultCounts dropOnly;
    FaultCounts both;
    run({.drop = 5e-3, .seed = 11}, in, 0, &dropOnly);
    const Bytes out = run({.corrupt = 5e-3, .drop = 5e-3, .seed = 11}, in, 0, &both);
    EXPECT_EQ(both.dropped, dropOnly.dropped);
    EXPECT_EQ(out.size(), in.size() - dropOnly.dropped);
}

} // namespace
} // namespace vestan::linesim
