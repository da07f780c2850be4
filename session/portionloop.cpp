#include "session/portionloop.h"

#include <algorithm>

namespace vestan {

PortionResult readPortions(Session &state, uint16_t objectCode, uint32_t size,
                           const QString &operationName, const PortionHooks &hooks, uint32_t from)
{
    // A portion never outgrows the receive buffer, and never is empty (an
    // empty portion would never advance the offset).
    const uint32_t portion =
        std::clamp<uint32_t>(state.session.portionSize, 1, uint32_t(kMaxPortion));
    PortionResult result;
    uint32_t offset = std::min(from, size);
    result.offset = offset;
    while (result.error == 0 && state.channel.running != 0 && offset < size) {
        state.host.processEvents();
        const uint16_t length = uint16_t(std::min<uint32_t>(size - offset, portion));
        if (hooks.beforeRequest)
            hooks.beforeRequest(offset, length);
        ReplyData reply;
        result.error =
            state.requests.RequestBlock(objectCode, length, offset, reply, 1, operationName);
        const uint16_t count = reply.count;
        const uint32_t at = offset;
        offset += count;
        if (hooks.afterReply)
            hooks.afterReply(offset, count);
        if (result.error == 0 && count != length)
            result.error = 1;
        if (result.error != 0)
            break;
        if (hooks.consume)
            hooks.consume(reply.data.data(), count, at);
        result.offset = offset;
    }
    return result;
}

} // namespace vestan
