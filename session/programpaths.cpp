#include "session/programpaths.h"

#include <QDir>
#include <QFileInfo>

namespace vestan {

ProgramPaths programPathsOf(const QString &programPath)
{
    const QFileInfo program(programPath);
    QString dir = program.absolutePath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return {QDir::toNativeSeparators(dir), program.fileName()};
}

} // namespace vestan
