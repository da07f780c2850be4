#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// What the link library's fuzz targets share: a failed property aborts, so
// the fuzzer keeps the input, and chunk sizes come from the input alone.
namespace vestan::fuzz {

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

// xorshift32: the chunk sizes are a pure function of the input.
struct Chunker
{
    uint32_t state;
    size_t bound;
    size_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return 1 + state % bound;
    }
};

} // namespace vestan::fuzz
