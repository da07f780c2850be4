#include "app/settings.h"

#include "app/programstate.h"
#include "link/linktoolbar.h"
#include "platform/guarded.h"
#include "platform/inifile.h"
#include "platform/numbers.h"
#include "platform/settingslocation.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace vestan {
namespace {

const QString kSection = QStringLiteral("VestanApp");
constexpr int kDefaultNetNumber = 33;
constexpr int kDefaultSizeItem = 7;
constexpr int kFileKeys = 10;

QString fileKey(int i)
{
    return QString::asprintf("File%u", unsigned(i));
}

// Writes one key or raises the error that ends the saving at that key.
void writeKey(IniFile &ini, const QString &key, const QString &value)
{
    if (!ini.writeString(kSection, key, value))
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

    const IniFile ini(settingsFilePath(programPath));

    // Only "COM" and one more character names a port; COM1 .. COM4 are kept, any other
    // single character falls back to COM2.
    const QString comPort = ini.readString(kSection, QStringLiteral("ComPort"));
    if (comPort.size() == 4 && comPort.startsWith(QStringLiteral("COM"))) {
        const QChar digit = comPort.at(3);
        channel.portIndex = (digit >= u'1' && digit <= u'4') ? digit.unicode() - u'1' : 1;
        toolBar_.StTComName()->setText(QString::asprintf("COM%u", unsigned(channel.portIndex + 1)));
    }

    const int32_t netNumber = parseLenientInt(ini.readString(kSection, QStringLiteral("IdNet")));
    channel.netNumber = uint8_t(netNumber >= 1 && netNumber <= 250 ? netNumber : kDefaultNetNumber);
    toolBar_.EdIDNet()->setText(QString::asprintf("%u", unsigned(channel.netNumber)));

    const QString sizeText = ini.readString(kSection, QStringLiteral("IGetSize"));
    int sizeItem = sizeText.isEmpty() ? kDefaultSizeItem : parseLenientInt(sizeText);
    if (sizeItem < 0 || sizeItem > kDefaultSizeItem)
        sizeItem = kDefaultSizeItem;
    toolBar_.CBoxSize()->setCurrentIndex(sizeItem);
    session.portionSize = kPortionSizes[sizeItem];

    const QString phone = ini.readString(kSection, QStringLiteral("Phone"), QStringLiteral("?"));
    if (!phone.startsWith(u'?'))
        session.phoneNumber = phone.left(kPhoneCapacity);
    toolBar_.EdPhone()->setText(session.phoneNumber);

    state_.recentFiles.clear();
    for (int i = 0; i < kFileKeys; ++i) {
        const QString name = ini.readString(kSection, fileKey(i));
        if (!name.isEmpty())
            state_.recentFiles.append(name);
    }
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
    for (; i < state_.recentFiles.recentCount(); ++i) {
        const QString name = state_.recentFiles.item(i);
        if (name.isEmpty())
            break;
        writeKey(ini, fileKey(i), name);
    }
    for (; i < kFileKeys; ++i)
        writeKey(ini, fileKey(i), QString());
}

} // namespace vestan
