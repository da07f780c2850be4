#include "tools/trvsim/forgedburst.h"

#include "maker/trvclnk/framecodec.h"

namespace vestan::trvsim {

std::vector<uint8_t> forgeBurst(const std::vector<uint8_t> &payload, size_t dataAt,
                                uint32_t variant, size_t burst)
{
    const size_t length = payload.size();
    if (burst < 4 || length < dataAt + burst + 2)
        return {};
    const std::vector<uint8_t> frame = line::encodeFrame(payload.data(), length);
    // Read to its stated length, the frame holds the payload up to `at`, the
    // burst, the payload on to length - burst, and then two of its own
    // payload bytes where the check sum stands. The burst sits near the end,
    // so that trying the 65536 values of its two free bytes takes a few bytes'
    // check sum each, not the whole reply's: the simulator answers at once.
    const size_t at = length - burst - 2;
    const uint8_t *data = frame.data() + line::kHeaderSize;
    const uint16_t wanted = uint16_t(data[length - burst] | data[length - burst + 1] << 8);
    const uint16_t prefix = line::crc16(frame.data() + 1, line::kHeaderSize - 1 + at);
    std::vector<uint8_t> garbage(burst);
    for (size_t i = 2; i < burst; ++i)
        garbage[i] = uint8_t((variant + 1) * 0x9E3779B1u >> (8 * (i % 4)));
    for (uint32_t pair = 0; pair < 0x10000; ++pair) {
        garbage[0] = uint8_t(pair);
        garbage[1] = uint8_t(pair >> 8);
        const uint16_t crc =
            line::crc16(data + at, length - burst - at, line::crc16(garbage.data(), burst, prefix));
        if (crc != wanted)
            continue;
        std::vector<uint8_t> out(frame.begin(),
                                 frame.begin() + std::ptrdiff_t(line::kHeaderSize + at));
        out.insert(out.end(), garbage.begin(), garbage.end());
        out.insert(out.end(), frame.begin() + std::ptrdiff_t(line::kHeaderSize + at), frame.end());
        return out;
    }
    return {}; // unreachable: two free bytes reach every check sum
}

} // namespace vestan::trvsim
