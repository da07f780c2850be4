#include "journal/elapsed.h"

namespace vestan {

QString FormatElapsed(uint32_t milliseconds)
{
    const unsigned long seconds = milliseconds / 1000;
    const unsigned long hours = seconds / 3600;
    const unsigned long rest = seconds % 3600;
    const unsigned long minutes = rest / 60;
    const unsigned long secs = rest % 60;
    if (hours != 0)
        return QString::asprintf("%02lu:%02lu:%02lu", hours, minutes, secs);
    if (minutes != 0)
        return QString::asprintf("%02lu:%02lu", minutes, secs);
    return QString::asprintf("%02lu", secs);
}

} // namespace vestan
