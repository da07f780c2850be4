#pragma once

#include <QString>

namespace vestan {

// An initialization file: "[section]" lines followed by "key=value" lines.
// Section and key names compare without regard to letter case; the first
// section of a name and the first key of a name in it are the ones used.
// Lines whose first non-blank character is ';' are comments.
//
// Reading drops the blanks around a value and one pair of double quotes that
// encloses the whole value, and gives at most kMaxValueLength characters.
// Writing changes only the line of the key (or adds the key, the section and
// the file when they are missing); every other byte of the file stays as it
// was, line ends included. The file is replaced atomically, so a failed write
// leaves the old file whole. Text is UTF-8 (code page 1251 on Windows).
//
// The object holds no file handle: each call reads the file anew.
class IniFile
{
public:
    static constexpr int kMaxValueLength = 2047;

    explicit IniFile(const QString &fileName);

    QString fileName() const { return fileName_; }

    // The key's value, or defaultValue when the file, the section or the key
    // is missing or the file cannot be read.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;

    // False when the file cannot be read or replaced (read-only file or
    // directory, full disk), or when a name or the value would break the
    // line structure (line breaks, '=' or ']' in names, empty names).
    bool writeString(const QString &section, const QString &key, const QString &value);

private:
    QString fileName_;
};

} // namespace vestan
