#include "faultmodel.h"

#include <algorithm>
#include <limits>

namespace vestan::linesim {

namespace {

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

enum FaultKind : unsigned
{
    KindDrop = 1,
    KindCorrupt = 2,
    KindNoise = 3
};

std::seed_seq seedsFor(std::uint64_t seed, unsigned direction, FaultKind kind)
{
    return std::seed_seq{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                         direction, static_cast<unsigned>(kind)};
}

} // namespace

FaultModel::EventClock::EventClock(double probability, std::seed_seq &&seeds)
    : probability_(std::clamp(probability, 0.0, 1.0)), random_(seeds), untilNext_(drawGap())
{}

std::uint64_t FaultModel::EventClock::drawGap()
{
    if (probability_ <= 0.0)
        return kNever;
    if (probability_ >= 1.0)
        return 0;
    // Bytes that pass unharmed before the next event.
    std::geometric_distribution<std::uint64_t> gap(probability_);
    return gap(random_);
}

void FaultModel::EventClock::rearm()
{
    untilNext_ = drawGap();
}

FaultModel::FaultModel(const FaultConfig &config, unsigned direction)
    : drop_(config.drop, seedsFor(config.seed, direction, KindDrop)),
      corrupt_(config.corrupt, seedsFor(config.seed, direction, KindCorrupt)),
      noise_(config.noise ? 1.0 / static_cast<double>(std::max<std::uint64_t>(config.noiseEvery, 1))
                          : 0.0,
             seedsFor(config.seed, direction, KindNoise)),
      transparent_(!drop_.enabled() && !corrupt_.enabled() && !noise_.enabled())
{}

void FaultModel::apply(std::span<const std::uint8_t> in, std::vector<std::uint8_t> &out)
{
    if (transparent_) {
        out.insert(out.end(), in.begin(), in.end());
        return;
    }
    std::size_t pos = 0;
    while (pos < in.size()) {
        // Copy the run of bytes that no fault touches in one go.
        const std::uint64_t quiet =
            std::min({drop_.untilNext(), corrupt_.untilNext(), noise_.untilNext(),
                      static_cast<std::uint64_t>(in.size() - pos)});
        out.insert(out.end(), in.begin() + pos, in.begin() + pos + quiet);
        pos += quiet;
        drop_.advance(quiet);
        corrupt_.advance(quiet);
        noise_.advance(quiet);
        if (pos == in.size())
            break;

        // At least one event falls on the byte at `pos`.
        if (noise_.untilNext() == 0) {
            auto &random = noise_.random();
            const int length = std::uniform_int_distribution<int>(1, kMaxBurst)(random);
            std::uniform_int_distribution<int> garbage(0, 255);
            for (int i = 0; i < length; ++i)
                out.push_back(static_cast<std::uint8_t>(garbage(random)));
            counts_.noiseBytes += static_cast<std::uint64_t>(length);
            ++counts_.noiseBursts;
            noise_.rearm();
        } else {
            noise_.advance(1);
        }

        bool dropped = false;
        if (drop_.untilNext() == 0) {
            dropped = true;
            ++counts_.dropped;
            drop_.rearm();
        } else {
            drop_.advance(1);
        }

        std::uint8_t byte = in[pos];
        if (corrupt_.untilNext() == 0) {
            // The flip is drawn even for a lost byte so that the corruption
            // pattern does not depend on the drop setting.
            const int mask = std::uniform_int_distribution<int>(1, 255)(corrupt_.random());
            byte = static_cast<std::uint8_t>(byte ^ mask);
            if (!dropped)
                ++counts_.corrupted;
            corrupt_.rearm();
        } else {
            corrupt_.advance(1);
        }

        if (!dropped)
            out.push_back(byte);
        ++pos;
    }
}

} // namespace vestan::linesim
