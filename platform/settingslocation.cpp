#include "platform/settingslocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

// Opened for writing without changing it: rights the permission bits do not
// show (access lists, a read-only attribute) answer too.
bool takesWrites(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadWrite);
}

// The bytes only: a copy would keep the rights that made the file unwritable.
void copyContents(const QString &from, const QString &to)
{
    QFile in(from);
    QSaveFile out(to);
    if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly) &&
        out.write(in.readAll()) == in.size())
        out.commit();
}

} // namespace

QString settingsLocation(const QString &beside)
{
    const QFileInfo file(beside);
    // Root started an installed program ("sudo vestan" for a port it may not
    // open): a file it left in /usr/bin would stand in every user's way.
    // Something other than a file in its place is kept: the write then
    // fails with the path rather than going elsewhere unseen.
    const bool portable =
        !isSystemFolder(file.absolutePath()) &&
        (file.isFile() ? takesWrites(beside) : file.exists() || takesNewFiles(file.absolutePath()));
    if (portable)
        return beside;
    const QString folder = userSettingsFolder();
    if (folder.isEmpty())
        return beside;
    const QString own = QDir::cleanPath(folder + u'/' + file.fileName());
    // A file beside the program that cannot be written (left by a run as
    // administrator, or shipped) gives the starting values, once: changes
    // go to the user's own file from then on instead of being lost.
    if (file.exists() && !QFileInfo::exists(own) && prepareSettingsFolder(own))
        copyContents(beside, own);
    return own;
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
