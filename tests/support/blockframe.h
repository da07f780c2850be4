#pragma once

#include <cstdint>
#include <vector>

namespace vestan::test {

// The ten bytes of a block read (command 3), also the head of its reply:
// network number, command, object code, length (the count in a reply) and
// offset, little-endian.
inline std::vector<uint8_t> blockFrameHead(uint8_t net, uint16_t object, uint16_t length,
                                           uint32_t offset)
{
    return {net,
            0x03,
            uint8_t(object),
            uint8_t(object >> 8),
            uint8_t(length),
            uint8_t(length >> 8),
            uint8_t(offset),
            uint8_t(offset >> 8),
            uint8_t(offset >> 16),
            uint8_t(offset >> 24)};
}

} // namespace vestan::test
