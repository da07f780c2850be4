#pragma once

#include <QString>

namespace vestan {

// A file's name as the settings file can carry it and that opens the same
// file. On Windows that file is code page 1251: a name with other letters
// becomes the system's short name of the file, which is plain; empty when
// the file has none (short names switched off), since a name with "?" in it
// would open nothing. On Linux the file is UTF-8: every name as it is.
QString storableFileName(const QString &name);

} // namespace vestan
