// bench_noise_mc: how many wrong bytes a noisy line gets past the link.
//
// The real FrameDecoder and WalkStream of trvCLNK walk an object in portions
// of 1024 against a controller that answers block reads in order, in process
// and in virtual time (no pseudo-terminal, no pacing). linesim's fault model
// damages every reply on its way: garbage bursts inserted, bytes dropped and
// bytes replaced, at rates that break about one reply frame in ten. Every
// portion handed over is compared with the object; the run goes on until the
// line has broken the frames asked for, and prints one line of JSON.
//
//   bench_noise_mc [--broken N] [--seed N] [--depth N] [--unchecked]
//
// --unchecked switches the reading twice of doubtful replies off, so that
// the run shows what the check sum alone lets through (one frame in 65536
// of those broken by a burst or a loss).

#include "maker/trvclnk/bytechannel.h"
#include "maker/trvclnk/framecodec.h"
#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/walkstream.h"
#include "protocol/protocol.h"
#include "tools/linesim/faultmodel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <string>

using namespace vestan;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kNet = 33;
constexpr uint16_t kObject = 0x0B01;
constexpr uint16_t kPortion = 1024;
// Far from the end of a 32-bit offset; a walk that gets there starts again.
constexpr uint32_t kObjectSize = 3u << 30;

uint8_t objectByte(uint64_t at)
{
    uint64_t x = (at + 1) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    return uint8_t(x * 0xBF58476D1CE4E5B9ull >> 56);
}

Bytes blockRead(uint16_t length, uint32_t offset)
{
    Bytes request(packet::kBlockOffsetAt + 4);
    request[packet::kNetAt] = kNet;
    request[packet::kCommandAt] = CmdBlock;
    putU16(&request[packet::kObjectAt], kObject);
    putU16(&request[packet::kCountAt], length);
    putU32(&request[packet::kBlockOffsetAt], offset);
    return request;
}

// The line and the controller behind it, on virtual time. Requests reach
// the controller whole; it answers them in order, each reply damaged by the
// fault model. Bytes come as a USB adapter gives them: in chunks of up to 64,
// each when its last byte is in, so a frame's end and what follows it are
// often apart.
class SimulatedLine : public trvclnk::ByteChannel
{
public:
    SimulatedLine(const trvclnk::PortSettings &settings, const linesim::FaultConfig &faults)
        : settings_(settings), faults_(faults, 1), requests_(line::kMaxPayload, false),
          byteUs_((int64_t(settings.bitsPerCharacter()) * 1000000 + settings.baud - 1) /
                  settings.baud)
    {}

    Status write(const uint8_t *data, size_t size, int) override
    {
        requests_.feed(data, size);
        const int64_t arrives = now_ + settings_.lineTimeMs(int64_t(size));
        while (requests_.takeFrame(request_))
            answer(arrives);
        return Status::Ok;
    }

    Status read(uint8_t *buffer, size_t capacity, int timeoutMs, size_t &received) override
    {
        received = 0;
        if (arrivals_.empty() || chunkAt(arrivals_.front()) > now_ + timeoutMs) {
            now_ += std::max(timeoutMs, 0);
            return Status::TimedOut;
        }
        now_ = std::max(now_, chunkAt(arrivals_.front()));
        while (!arrivals_.empty() && chunkAt(arrivals_.front()) <= now_ && received < capacity) {
            Arrival &next = arrivals_.front();
            const size_t take = std::min(capacity - received, chunkEnd(next) - next.taken);
            std::memcpy(buffer + received, next.bytes.data() + next.taken, take);
            received += take;
            next.taken += take;
            if (next.taken == next.bytes.size())
                arrivals_.pop_front();
        }
        return Status::Ok;
    }

    void discardInput() override {}
    int64_t nowMs() const override { return now_; }
    void pauseMs(int ms) override { now_ += ms; }

    uint64_t frames = 0;
    uint64_t brokenFrames = 0;
    uint64_t passableFrames = 0;

private:
    static constexpr size_t kChunk = 64;

    struct Arrival
    {
        int64_t startUs = 0; // when its first byte begins
        Bytes bytes;
        size_t taken = 0;
    };

    size_t chunkEnd(const Arrival &a) const
    {
        return std::min(a.bytes.size(), (a.taken / kChunk + 1) * kChunk);
    }
    // The millisecond the next chunk is in (rounded up).
    int64_t chunkAt(const Arrival &a) const
    {
        return (a.startUs + int64_t(chunkEnd(a)) * byteUs_ + 999) / 1000;
    }

    void answer(int64_t arrives)
    {
        if (request_.size() != packet::kBlockDataAt || request_[packet::kCommandAt] != CmdBlock)
            return;
        const uint16_t length = getU16(&request_[packet::kCountAt]);
        const uint32_t offset = getU32(&request_[packet::kBlockOffsetAt]);
        const uint32_t count =
            offset < kObjectSize ? std::min<uint32_t>(length, kObjectSize - offset) : 0;
        reply_.assign(request_.begin(), request_.end());
        putU16(&reply_[packet::kCountAt], uint16_t(count));
        for (uint32_t i = 0; i < count; ++i)
            reply_.push_back(objectByte(uint64_t(offset) + i));
        frame_.clear();
        line::appendFrame(frame_, reply_.data(), reply_.size());
        const linesim::FaultCounts before = faults_.counts();
        Arrival arrival;
        faults_.apply(frame_, arrival.bytes);
        const linesim::FaultCounts &after = faults_.counts();
        ++frames;
        if (arrival.bytes != frame_) {
            ++brokenFrames;
            // A replaced byte alone never passes the CRC-16; a burst or a
            // loss does once in 65536.
            if (after.dropped != before.dropped || after.noiseBursts != before.noiseBursts)
                ++passableFrames;
        }
        // The controller starts a millisecond after the request is in, or
        // right after its previous reply.
        arrival.startUs = std::max(replyEndUs_, (arrives + 1) * 1000);
        replyEndUs_ = arrival.startUs + int64_t(arrival.bytes.size()) * byteUs_;
        arrivals_.push_back(std::move(arrival));
    }

    trvclnk::PortSettings settings_;
    linesim::FaultModel faults_;
    line::FrameDecoder requests_;
    Bytes request_;
    Bytes reply_;
    Bytes frame_;
    std::deque<Arrival> arrivals_;
    int64_t now_ = 0;
    int64_t replyEndUs_ = 0;
    int64_t byteUs_; // a character's line time, rounded up
};

const char *valueAfter(int &i, int argc, char **argv)
{
    if (i + 1 >= argc) {
        std::fprintf(stderr, "bench_noise_mc: %s needs a number\n", argv[i]);
        std::exit(2);
    }
    return argv[++i];
}

uint64_t numberAfter(int &i, int argc, char **argv)
{
    return std::strtoull(valueAfter(i, argc, argv), nullptr, 10);
}

} // namespace

int main(int argc, char **argv)
{
    uint64_t wanted = 1000000;
    uint64_t megabytes = 0;
    size_t depth = 8;
    bool unchecked = false;
    // Per byte: with the walk's pieces of about 130 bytes on such a line, a
    // burst, a loss and a replaced byte each break some 3 frames in 100.
    linesim::FaultConfig faults;
    faults.noise = true;
    faults.noiseEvery = 4500;
    faults.drop = 2.2e-4;
    faults.corrupt = 1.8e-4;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--broken")
            wanted = numberAfter(i, argc, argv);
        else if (arg == "--mib")
            megabytes = numberAfter(i, argc, argv);
        else if (arg == "--seed")
            faults.seed = numberAfter(i, argc, argv);
        else if (arg == "--depth")
            depth = size_t(std::max<uint64_t>(numberAfter(i, argc, argv), 1));
        else if (arg == "--unchecked")
            unchecked = true;
        else if (arg == "--drop")
            faults.drop = std::strtod(valueAfter(i, argc, argv), nullptr);
        else if (arg == "--corrupt")
            faults.corrupt = std::strtod(valueAfter(i, argc, argv), nullptr);
        else if (arg == "--noise-every") {
            faults.noiseEvery = numberAfter(i, argc, argv);
            faults.noise = faults.noiseEvery > 0;
        } else {
            std::fprintf(stderr, "usage: bench_noise_mc [--broken N | --mib N] [--seed N] "
                                 "[--depth N] [--unchecked] [--drop P] [--corrupt P] "
                                 "[--noise-every BYTES (0: none)]\n");
            return 2;
        }
    }
    // --mib: hands over that much instead, for the line time it takes.
    const uint64_t portionsWanted = megabytes * 1024;

    trvclnk::PortSettings settings;
    settings.baud = 115200;
    settings.replyTimeoutMs = 100;
    settings.readDoubtfulTwice = !unchecked;
    SimulatedLine line(settings, faults);
    trvclnk::LinkStatistics stats;

    const std::clock_t started = std::clock();
    uint64_t portions = 0, wrongPortions = 0, failedAttempts = 0;
    Bytes reply(10 + kPortion);
    Bytes expected(kPortion);
    const auto more = [&] {
        return portionsWanted ? portions < portionsWanted : line.brokenFrames < wanted;
    };
    while (more()) {
        const Bytes first = blockRead(kPortion, 0);
        trvclnk::WalkStream walk(line, settings, stats, first.data(), depth);
        for (uint32_t offset = 0; offset < kObjectSize - kPortion && more();) {
            const Bytes request = blockRead(kPortion, offset);
            uint16_t replyLength = 0;
            const int32_t result =
                walk.serve(request.data(), reply.data(), uint16_t(reply.size()), &replyLength);
            if (result != trvclnk::kOk) {
                ++failedAttempts; // the program asks for the same portion again
                continue;
            }
            ++portions;
            for (uint32_t i = 0; i < kPortion; ++i)
                expected[i] = objectByte(uint64_t(offset) + i);
            if (replyLength != 10 + kPortion ||
                std::memcmp(reply.data() + 10, expected.data(), kPortion) != 0)
                ++wrongPortions;
            offset += kPortion;
        }
        walk.settle();
    }
    const double seconds = double(std::clock() - started) / CLOCKS_PER_SEC;
    std::printf("{\"broken_frames\": %llu, \"frames\": %llu, \"wrong_pieces\": %llu, "
                "\"passable_frames\": %llu, \"portions\": %llu, \"failed_attempts\": %llu, "
                "\"doubtful_replies\": %llu, "
                "\"line_seconds\": %.1f, \"efficiency\": %.6f, \"cpu_seconds\": %.1f, "
                "\"depth\": %zu, "
                "\"checked\": %s}\n",
                (unsigned long long)line.brokenFrames, (unsigned long long)line.frames,
                (unsigned long long)wrongPortions, (unsigned long long)line.passableFrames,
                (unsigned long long)portions, (unsigned long long)failedAttempts,
                (unsigned long long)stats.doubtfulReplies, double(line.nowMs()) / 1000.0,
                double(portions) * kPortion /
                    (double(line.nowMs()) / 1000.0 * settings.baud / settings.bitsPerCharacter()),
                seconds, depth, unchecked ? "false" : "true");
    return 0;
}
