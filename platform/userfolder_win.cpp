#include "platform/settingslocation.h"

#include <QDir>

namespace vestan {

QString userSettingsFolder()
{
    const QString base = qEnvironmentVariable("APPDATA");
    return base.isEmpty() ? QString()
                          : QDir::fromNativeSeparators(base) + QStringLiteral("/Vestan");
}

bool isSystemFolder(const QString &)
{
    return false;
}

} // namespace vestan
