#include "platform/settingslocation.h"

#include <QStandardPaths>

namespace vestan {

QString userSettingsFolder()
{
    // $XDG_CONFIG_HOME, or ~/.config when it is not set.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/vestan");
}

} // namespace vestan
