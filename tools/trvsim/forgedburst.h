#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vestan::trvsim {

// The rare damaged reply that passes its check sum by chance, made on
// purpose: `burst` garbage bytes inserted into the data of the reply frame of
// `payload` (data from `dataAt` on), chosen so that a receiver reading the
// length the intact header states finds a good CRC-16. The rest of the real
// frame follows it on the line. `variant` varies the garbage. Empty when the
// data is too short to hold the burst.
std::vector<uint8_t> forgeBurst(const std::vector<uint8_t> &payload, size_t dataAt,
                                uint32_t variant, size_t burst = 4);

} // namespace vestan::trvsim
