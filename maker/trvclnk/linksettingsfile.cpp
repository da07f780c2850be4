#include "maker/trvclnk/linksettingsfile.h"

#include "platform/inifile.h"
#include "platform/settingslocation.h"

namespace vestan::trvclnk {

LinkSettingsFile::LinkSettingsFile(QString path) : path_(std::move(path)) {}

PortSettings LinkSettingsFile::read(int port) const
{
    const IniFile file(path_);
    const QString section = sectionName(port);
    // A line break cannot be a stored value: it marks a missing key.
    const QString missing = QStringLiteral("\n");
    return readPortSettings(port, [&](const QString &key) -> std::optional<QString> {
        const QString value = file.readString(section, key, missing);
        if (value == missing)
            return std::nullopt;
        return value;
    });
}

bool LinkSettingsFile::storeDevice(int port, const QString &device)
{
    const QString trimmed = device.trimmed();
    if (trimmed.isEmpty() || !isValidPort(port) || path_.isEmpty())
        return false;
    prepareSettingsFolder(path_);
    return IniFile(path_).writeString(sectionName(port), QStringLiteral("Device"), trimmed);
}

bool LinkSettingsFile::storeLineSettings(int port, const PortSettings &settings)
{
    if (!isValidPort(port) || path_.isEmpty())
        return false;
    prepareSettingsFolder(path_);
    IniFile file(path_);
    for (const auto &[key, value] : lineSettingsValues(settings))
        if (!file.writeString(sectionName(port), key, value))
            return false;
    return true;
}

} // namespace vestan::trvclnk
