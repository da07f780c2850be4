#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <vector>

namespace vestan::linesim {

// What may go wrong on one direction of the line. Probabilities are per byte.
struct FaultConfig
{
    double corrupt = 0.0;
    double drop = 0.0;
    bool noise = false;
    std::uint64_t noiseEvery = 65536; // average number of bytes between two bursts
    std::uint64_t seed = 1;
};

struct FaultCounts
{
    std::uint64_t corrupted = 0;
    std::uint64_t dropped = 0;
    std::uint64_t noiseBytes = 0;
    std::uint64_t noiseBursts = 0;
};

// The faults of one direction of the line, without any I/O. Every kind of
// fault has its own generator and counts down to its next event in line
// bytes, so the result depends only on the seed, the direction and the byte
// stream, never on how the stream is cut into chunks, and switching one kind
// on or off leaves the positions of the others unchanged.
class FaultModel
{
public:
    static constexpr int kMaxBurst = 32;

    FaultModel(const FaultConfig &config, unsigned direction);

    // Passes `in` (line bytes in order) over the faulty line and appends what
    // reaches the far end to `out`.
    void apply(std::span<const std::uint8_t> in, std::vector<std::uint8_t> &out);

    // True when no fault is configured, so the bytes pass untouched.
    bool transparent() const { return transparent_; }
    const FaultCounts &counts() const { return counts_; }

private:
    // Counts line bytes down to the next event of one fault kind.
    class EventClock
    {
    public:
        EventClock(double probability, std::seed_seq &&seeds);
        bool enabled() const { return probability_ > 0.0; }
        std::uint64_t untilNext() const { return untilNext_; }
        // A clock that is off stays at "never".
        void advance(std::uint64_t bytes) { untilNext_ -= enabled() ? bytes : 0; }
        // Called when the event fires on the current byte: draws the next gap.
        void rearm();
        std::mt19937_64 &random() { return random_; }

    private:
        std::uint64_t drawGap();

        double probability_;
        std::mt19937_64 random_;
        std::uint64_t untilNext_;
    };

    EventClock drop_;
    EventClock corrupt_;
    EventClock noise_;
    bool transparent_;
    FaultCounts counts_;
};

} // namespace vestan::linesim
