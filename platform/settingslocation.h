#pragma once

#include <QString>

namespace vestan {

// The user's own folder for Vestan's settings: $XDG_CONFIG_HOME/vestan
// (~/.config/vestan) on Linux, %APPDATA%\Vestan on Windows; empty when the
// system names none. The one part of the rule below that differs by system.
QString userSettingsFolder();

// A folder of the system's own software, never written for settings even by
// a user who may write it (root, or an administrator): on Linux the program
// and library folders under /usr and /usr/local, which packages own. None on Windows, where the
// system's rights already keep users out of installed programs' folders.
bool isSystemFolder(const QString &folder);

// Where a settings file lives. `beside` is its place beside the program (or
// the link library): kept when the file there may be written or the folder
// takes a new file, as a copy run from a folder of its own does. An installed
// program's folder takes nothing (or is a system folder), so its file of the
// same name lives in userSettingsFolder() instead; a file beside that cannot
// be written is copied there first, as the user's starting values.
QString settingsLocation(const QString &beside);

// Makes the user's settings folder before the first write of a file in it;
// false when it cannot be made. A file beside the program gets no folder.
bool prepareSettingsFolder(const QString &path);

} // namespace vestan
