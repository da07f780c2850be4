#include "platform/settingslocation.h"
#include "platform/userfolder.h"

#include <QDir>
#include <QStandardPaths>

namespace vestan {

QString userSettingsFolder()
{
    const QString base = qEnvironmentVariable("APPDATA");
    return base.isEmpty() ? QString()
                          : QDir::fromNativeSeparators(base) + QStringLiteral("/Vestan");
}

QString userDocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

bool isSystemFolder(const QString &)
{
    return false;
}

} // namespace vestan
