#include "platform/deviceaccess.h"

#include <QFile>
#include <unistd.h>

namespace vestan {

bool mayOpenDevice(const QString &device)
{
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
}

} // namespace vestan
