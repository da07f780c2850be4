#pragma once

#include "maker/trvclnk/bytechannel.h"
#include "maker/trvclnk/framecodec.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <vector>

namespace vestan::test {

using Bytes = std::vector<uint8_t>;

// A line on virtual time: what the exchange writes is recorded, what the
// test schedules arrives at its moment; waiting advances the clock at once.
class ScriptedChannel : public trvclnk::ByteChannel
{
public:
    struct Arrival
    {
        int64_t atMs;
        Bytes bytes;
    };

    int64_t now = 0;
    std::vector<Bytes> written;
    std::deque<Arrival> incoming;
    // Runs after every write (to schedule the controller's answer).
    std::function<void(const Bytes &written)> onWrite;
    bool failWrites = false;
    bool failReads = false;

    void arriveIn(int64_t delayMs, const Bytes &bytes)
    {
        incoming.push_back({now + delayMs, bytes});
    }
    void frameIn(int64_t delayMs, const Bytes &payload)
    {
        arriveIn(delayMs, line::encodeFrame(payload.data(), payload.size()));
    }

    Status write(const uint8_t *data, size_t size, int) override
    {
        if (failWrites)
            return Status::Failed;
        written.emplace_back(data, data + size);
        if (onWrite)
            onWrite(written.back());
        return Status::Ok;
    }

    Status read(uint8_t *buffer, size_t capacity, int timeoutMs, size_t &received) override
    {
        received = 0;
        if (failReads)
            return Status::Failed;
        if (!incoming.empty() && incoming.front().atMs <= now + timeoutMs) {
            now = std::max(now, incoming.front().atMs);
            Bytes &bytes = incoming.front().bytes;
            received = std::min(capacity, bytes.size());
            std::memcpy(buffer, bytes.data(), received);
            bytes.erase(bytes.begin(), bytes.begin() + std::ptrdiff_t(received));
            if (bytes.empty())
                incoming.pop_front();
            return Status::Ok;
        }
        now += std::max(timeoutMs, 0);
        return Status::TimedOut;
    }

    void discardInput() override
    {
        while (!incoming.empty() && incoming.front().atMs <= now)
            incoming.pop_front();
    }

    int64_t nowMs() const override { return now; }
    void pauseMs(int ms) override { now += ms; }
};

} // namespace vestan::test
