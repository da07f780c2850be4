#pragma once

#include <QString>

namespace vestan {

// Whether this user may open the device for reading and writing, as far as
// the system can tell without opening it (on Linux its owner, group and mode:
// a serial port belongs to the group "dialout"). Where the system keeps no
// such rights on devices, every device passes.
bool mayOpenDevice(const QString &device);

} // namespace vestan
