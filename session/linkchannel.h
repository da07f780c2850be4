#pragma once

#include "protocol/protocol.h"

#include <cstdint>

namespace vestan {

// The one link channel: where the link is, whom it addresses, whether an
// operation runs, and the buffers every request is built in and read from.
struct LinkChannel
{
    int32_t portIndex = 1; // COM number - 1
    uint32_t baudRate = 0; // 0 = none known
    uint8_t netNumber = 33;
    int32_t isOpen = 0;
    int32_t running = 0; // the busy flag; cleared by the stop button
    uint8_t txBuffer[kLinkBufferSize] = {};
    uint8_t rxBuffer[kLinkBufferSize] = {};
};

} // namespace vestan
