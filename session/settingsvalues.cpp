#include "session/settingsvalues.h"

#include "platform/inifile.h"
#include "platform/numbers.h"
#include "platform/settingslocation.h"
#include "session/linksession.h"

#include <QDir>
#include <QFileInfo>

namespace vestan {
namespace {

constexpr int kDefaultNetNumber = 33;
constexpr int kDefaultSizeItem = 7;

} // namespace

QString settingsSection()
{
    return QStringLiteral("VestanApp");
}

QString settingsFileKey(int i)
{
    return QString::asprintf("File%u", unsigned(i));
}

uint16_t SettingsValues::portionSize() const
{
    return kPortionSizes[sizeItem];
}

SettingsValues readSettingsValues(const QString &path)
{
    SettingsValues v;
    const IniFile ini(path);
    const QString section = settingsSection();

    const QString comPort = ini.readString(section, QStringLiteral("ComPort"));
    if (comPort.size() == 4 && comPort.startsWith(QStringLiteral("COM"))) {
        const QChar digit = comPort.at(3);
        v.portNamed = true;
        v.portIndex = (digit >= u'1' && digit <= u'4') ? digit.unicode() - u'1' : 1;
    }

    const int32_t netNumber = parseLenientInt(ini.readString(section, QStringLiteral("IdNet")));
    v.netNumber = uint8_t(netNumber >= 1 && netNumber <= 250 ? netNumber : kDefaultNetNumber);

    const QString sizeText = ini.readString(section, QStringLiteral("IGetSize"));
    v.sizeItem = sizeText.isEmpty() ? kDefaultSizeItem : parseLenientInt(sizeText);
    if (v.sizeItem < 0 || v.sizeItem > kDefaultSizeItem)
        v.sizeItem = kDefaultSizeItem;

    const QString phone = ini.readString(section, QStringLiteral("Phone"), QStringLiteral("?"));
    v.phoneGiven = !phone.startsWith(u'?');
    if (v.phoneGiven)
        v.phoneNumber = phone.left(kPhoneCapacity);

    for (int i = 0; i < kSettingsFileKeys; ++i) {
        const QString name = ini.readString(section, settingsFileKey(i));
        if (!name.isEmpty())
            v.recentFiles.append(name);
    }
    return v;
}

QString settingsFileName(const QString &programPath)
{
    const QFileInfo info(programPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    // A leading dot marks a hidden file, not an extension.
    const QString base = dot > 0 ? name.left(dot) : name;
    return QDir::cleanPath(info.absolutePath() + u'/' + base + QStringLiteral(".ini"));
}

QString settingsFilePath(const QString &programPath)
{
    return settingsLocation(settingsFileName(programPath));
}

} // namespace vestan
