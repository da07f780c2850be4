#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace vestan {

// The keys of the settings file, section [VestanApp].
inline constexpr int kSettingsFileKeys = 10;
QString settingsSection();
QString settingsFileKey(int i); // "File0" .. "File9"

// The values of the settings file as the window and the command line take
// them, read without any control. What is missing or out of range is its
// default.
struct SettingsValues
{
    // "COM" and one more character names a port: COM1 .. COM4 are taken, any
    // other character gives COM2; without such a name the port stays as it was.
    bool portNamed = false;
    int32_t portIndex = 1;
    uint8_t netNumber = 33;
    int sizeItem = 7;        // into kPortionSizes
    bool phoneGiven = false; // a number that does not start with "?"
    QString phoneNumber;
    QStringList recentFiles;

    uint16_t portionSize() const;
};

SettingsValues readSettingsValues(const QString &path);

// The program's path with its extension replaced by ".ini" (".ini" appended
// when it has none).
QString settingsFileName(const QString &programPath);
// Where the settings are read and written: that file when it is there or the
// program's folder takes it, else the file of that name in the user's
// settings folder (an installed program).
QString settingsFilePath(const QString &programPath);

} // namespace vestan
