#include "platform/storablename.h"

#include "platform/codepage.h"

#include <QDir>
#include <windows.h>

namespace vestan {
namespace {

bool carriedByCp1251(const QString &name)
{
    return fromCp1251(toCp1251(name)) == name;
}

} // namespace

QString storableFileName(const QString &name)
{
    if (carriedByCp1251(name))
        return name;
    const std::wstring longName = QDir::toNativeSeparators(name).toStdWString();
    std::wstring shortName(MAX_PATH, L'\0');
    DWORD n = GetShortPathNameW(longName.c_str(), shortName.data(), DWORD(shortName.size()));
    if (n >= shortName.size()) {
        shortName.resize(n);
        n = GetShortPathNameW(longName.c_str(), shortName.data(), DWORD(shortName.size()));
    }
    if (n == 0 || n >= shortName.size())
        return QString();
    const QString plain = QString::fromWCharArray(shortName.data(), qsizetype(n));
    return carriedByCp1251(plain) ? plain : QString();
}

} // namespace vestan
