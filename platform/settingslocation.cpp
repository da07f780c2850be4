#include "platform/settingslocation.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace vestan {
namespace {

// Tried rather than read from the permission bits: a read-only mount, access
// lists and root all answer truthfully this way.
bool takesNewFiles(const QString &folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.vestan-probe-XXXXXX"));
    return probe.open();
}

} // namespace

QString settingsLocation(const QString &beside)
{
    const QFileInfo file(beside);
    // Root started an installed program ("sudo vestan" for a port it may not
    // open): a file it left in /usr/bin would stand in every user's way.
    const bool portable = !isSystemFolder(file.absolutePath()) &&
                          (file.exists() || takesNewFiles(file.absolutePath()));
    if (portable)
        return beside;
    const QString folder = userSettingsFolder();
    if (folder.isEmpty())
        return beside;
    return QDir::cleanPath(folder + u'/' + file.fileName());
}

bool prepareSettingsFolder(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString own = userSettingsFolder();
    if (own.isEmpty() || folder != QDir::cleanPath(own))
        return true;
    return QDir().mkpath(folder);
}

} // namespace vestan
