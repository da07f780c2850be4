#include "app/settings.h"

#include "app/programstate.h"
#include "platform/guarded.h"
#include "platform/inifile.h"
#include "platform/settingslocation.h"
#include "platform/storablename.h"
#include "session/settingsvalues.h"

#include <QDir>
#include <algorithm>

namespace vestan {
namespace {

// Writes one key or raises the error that ends the saving at that key.
void writeKey(IniFile &ini, const QString &key, const QString &value)
{
    if (!ini.writeString(settingsSection(), key, value))
        throw VestanError(QString::asprintf(
            "Unable to write to %s", qUtf8Printable(QDir::toNativeSeparators(ini.fileName()))));
}

} // namespace

void Settings::LoadSettings()
{
    LinkChannel &channel = state_.channel;
    LinkSession &session = state_.session;

    state_.recentFiles.clear();
    const QString programPath = state_.host.programPath();
    state_.paths = programPathsOf(programPath);

    const SettingsValues v = readSettingsValues(settingsFilePath(programPath));
    if (v.portNamed)
        channel.portIndex = v.portIndex;
    channel.netNumber = v.netNumber;
    session.sizeItem = v.sizeItem;
    session.portionSize = v.portionSize();
    if (v.phoneGiven)
        session.phoneNumber = v.phoneNumber;

    for (const QString &name : v.recentFiles)
        state_.recentFiles.append(name);
    state_.recentFiles.selectFirst();
}

void Settings::SaveSettings()
{
    const LinkChannel &channel = state_.channel;
    const LinkSession &session = state_.session;
    IniFile ini(settingsFilePath(state_.host.programPath()));
    // A folder that cannot be made shows as the first key that cannot be written.
    prepareSettingsFolder(ini.fileName());

    writeKey(ini, QStringLiteral("ComPort"),
             QString::asprintf("COM%u", unsigned(session.rememberedPort + 1)));
    writeKey(ini, QStringLiteral("IdNet"), QString::asprintf("%u", unsigned(channel.netNumber)));
    writeKey(ini, QStringLiteral("IGetSize"),
             QString::asprintf("%u", unsigned(std::max(session.sizeItem, 0))));
    writeKey(ini, QStringLiteral("Phone"),
             QString::asprintf("\"%s\"", qUtf8Printable(session.phoneNumber)));

    int i = 0;
    for (int r = 0; r < state_.recentFiles.recentCount(); ++r) {
        const QString name = state_.recentFiles.item(r);
        if (name.isEmpty())
            break;
        // A name the file cannot carry is left out rather than stored broken.
        const QString stored = storableFileName(name);
        if (!stored.isEmpty())
            writeKey(ini, settingsFileKey(i++), stored);
    }
    for (; i < kSettingsFileKeys; ++i)
        writeKey(ini, settingsFileKey(i), QString());
}

} // namespace vestan
