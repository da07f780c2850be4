#pragma once

#include <QString>
#include <cstdint>

namespace vestan {

// Reads a number the lenient way every edit field and settings value is read:
// leading blanks, one optional sign, decimal digits up to the first other
// character; no digits gives 0. The value saturates at the 32-bit range.
int32_t parseLenientInt(const QString &text);

} // namespace vestan
