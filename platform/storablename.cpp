#include "platform/storablename.h"

namespace vestan {

QString storableFileName(const QString &name)
{
    return name;
}

} // namespace vestan
