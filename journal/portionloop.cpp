#include "journal/portionloop.h"

#include <algorithm>

namespace vestan {

PortionResult readPortions(ProgramState &state, uint16_t objectCode, uint32_t size,
                           const QString &operationName, const PortionHooks &hooks)
{
    PortionResult result;
    uint32_t offset = 0;
    while (result.error == 0 && state.channel.running != 0 && offset < size) {
        state.host.processEvents();
        const uint16_t length =
            uint16_t(std::min<uint32_t>(size - offset, state.session.portionSize));
        if (hooks.beforeRequest)
            hooks.beforeRequest(offset, length);
        uint16_t count = 0;
        uint16_t dataOffset = 0;
        result.error = state.requests.RequestBlock(objectCode, length, offset, count, dataOffset,
                                                   1, operationName);
        const uint32_t at = offset;
        if (result.error == 0)
            offset += count;
        if (hooks.afterReply)
            hooks.afterReply(result.error == 0 ? offset : at, count);
        if (result.error == 0 && count != length)
            result.error = 1;
        if (result.error != 0)
            break;
        if (hooks.consume)
            hooks.consume(state.channel.rxBuffer + dataOffset, count, at);
        result.offset = offset;
    }
    return result;
}

} // namespace vestan
