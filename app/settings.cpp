#include "app/settings.h"

#include "app/programstate.h"
#include "app/settingsvalues.h"
#include "link/linktoolbar.h"
#include "platform/guarded.h"
#include "platform/inifile.h"
#include "platform/settingslocation.h"
#include "platform/storablename.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

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

QString Settings::settingsFileName(const QString &programPath)
{
    const QFileInfo info(programPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    // A leading dot marks a hidden file, not an extension.
    const QString base = dot > 0 ? name.left(dot) : name;
    return QDir::cleanPath(info.absolutePath() + u'/' + base + QStringLiteral(".ini"));
}

QString Settings::settingsFilePath(const QString &programPath)
{
    return settingsLocation(settingsFileName(programPath));
}

void Settings::LoadSettings()
{
    LinkChannel &channel = state_.channel;
    LinkSession &session = state_.session;

    state_.recentFiles.clear();
    const QString programPath = state_.host.programPath();
    const QFileInfo program(programPath);
    QString dir = program.absolutePath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    state_.paths.programDir = QDir::toNativeSeparators(dir);
    state_.paths.programFileName = program.fileName();

    const SettingsValues v = readSettingsValues(settingsFilePath(programPath));
    if (v.portNamed) {
        channel.portIndex = v.portIndex;
        toolBar_.StTComName()->setText(QString::asprintf("COM%u", unsigned(channel.portIndex + 1)));
    }
    channel.netNumber = v.netNumber;
    toolBar_.EdIDNet()->setText(QString::asprintf("%u", unsigned(channel.netNumber)));
    toolBar_.CBoxSize()->setCurrentIndex(v.sizeItem);
    session.portionSize = v.portionSize();
    if (v.phoneGiven)
        session.phoneNumber = v.phoneNumber;
    toolBar_.EdPhone()->setText(session.phoneNumber);

    state_.recentFiles.clear();
    for (const QString &name : v.recentFiles)
        state_.recentFiles.append(name);
    if (state_.recentFiles.recentCount() > 0)
        state_.recentFiles.selectFirst();
}

void Settings::SaveSettings()
{
    // A number typed but never left is what the field shows: that is what is saved.
    toolBar_.NormalizePhone();
    const LinkChannel &channel = state_.channel;
    const LinkSession &session = state_.session;
    IniFile ini(settingsFilePath(state_.host.programPath()));
    // A folder that cannot be made shows as the first key that cannot be written.
    prepareSettingsFolder(ini.fileName());

    writeKey(ini, QStringLiteral("ComPort"),
             QString::asprintf("COM%u", unsigned(session.rememberedPort + 1)));
    writeKey(ini, QStringLiteral("IdNet"), QString::asprintf("%u", unsigned(channel.netNumber)));
    const int sizeItem = toolBar_.CBoxSize()->currentIndex();
    writeKey(ini, QStringLiteral("IGetSize"),
             QString::asprintf("%u", unsigned(sizeItem < 0 ? 0 : sizeItem)));
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
