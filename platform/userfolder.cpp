#include "platform/userfolder.h"
#include "platform/settingslocation.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

namespace vestan {

QString userSettingsFolder()
{
    // $XDG_CONFIG_HOME, or ~/.config when it is not set.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/vestan");
}

QString userDocumentsFolder()
{
    return QDir::homePath();
}

bool isSystemFolder(const QString &folder)
{
    // Where packages and "make install" put programs and libraries; a source
    // tree under /usr/local/src is none of them.
    static const QRegularExpression installed(
        QStringLiteral("^/usr(/local)?/(s?bin|lib[^/]*|libexec)(/.*)?$"));
    return installed.match(QDir::cleanPath(QDir(folder).absolutePath())).hasMatch();
}

} // namespace vestan
