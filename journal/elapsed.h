#pragma once

#include <QString>
#include <cstdint>

namespace vestan {

// The running time of a transfer: "ss", "mm:ss" or "hh:mm:ss", each number
// with at least two digits; hours are not limited.
QString FormatElapsed(uint32_t milliseconds);

} // namespace vestan
