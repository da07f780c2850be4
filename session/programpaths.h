#pragma once

#include <QString>

namespace vestan {

// Recorded from the program's full path when the settings are read; the
// transfers use them for the temporary file and for message captions.
struct ProgramPaths
{
    QString programDir;      // with a trailing separator
    QString programFileName; // without its directory
};

// The paths of the program at programPath, in the system's own separators.
ProgramPaths programPathsOf(const QString &programPath);

} // namespace vestan
