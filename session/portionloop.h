#pragma once

#include "session/session.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace vestan {

// The one loop that reads an object portion by portion with RequestBlock,
// shared by the journal download, the software image upload and the
// information readout; they differ only in what the hooks do.
struct PortionHooks
{
    // Before each request: offset of the portion and its length.
    std::function<void(uint32_t offset, uint16_t length)> beforeRequest;
    // After each reply, good or not: the offset advanced by the count the
    // request layer gave back (for a failed request, the reply length the
    // library reported).
    std::function<void(uint32_t offsetAfter, uint16_t count)> afterReply;
    // The bytes of a good portion.
    std::function<void(const uint8_t *data, uint16_t count, uint32_t offset)> consume;
};

struct PortionResult
{
    int error = 0;       // 0, a request error, or 1 for a reply of the wrong length
    uint32_t offset = 0; // where the bytes consumed end
};

// The most data bytes one block reply can carry in the link buffer.
inline constexpr uint16_t kMaxPortion = kLinkBufferSize - 10;

// Pending window messages are processed before every portion, and the loop
// ends before the next portion once `running` is cleared. A stop is not turned
// into an error here: callers decide. `from` is where the first portion
// starts (the rest of an object read before).
PortionResult readPortions(Session &state, uint16_t objectCode, uint32_t size,
                           const QString &operationName, const PortionHooks &hooks,
                           uint32_t from = 0);

} // namespace vestan
