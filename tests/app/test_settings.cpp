#include "app/programstate.h"
#include "app/settings.h"
#include "link/linktoolbar.h"
#include "platform/guarded.h"
#include "session/settingsvalues.h"
#include "tests/support/fakelink.h"
#include "tests/support/scriptedhost.h"
#include "tests/support/testsystem.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gmock/gmock.h>

namespace vestan {
namespace {

class SettingsTest : public ::testing::Test
{
protected:
    SettingsTest()
    {
        host.path = dir.filePath("vestan");
        state.api = link.api();
        state.recentFiles.attach(&jurFile);
    }

    // Start-up: the settings into the session, then the tool bar shows them.
    void load()
    {
        settings.LoadSettings();
        bar.showSessionValues();
    }

    QString iniPath() const { return dir.filePath("vestan.ini"); }

    void putIni(const QByteArray &bytes) const
    {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void putKey(const QByteArray &line) const { putIni("[VestanApp]\n" + line + "\n"); }

    QByteArray ini() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList recentList() const
    {
        QStringList items;
        for (int i = 0; i < jurFile.count(); ++i)
            items << jurFile.itemText(i);
        return items;
    }

    QTemporaryDir dir;
    test::ScriptedHost host;
    test::FakeLink link;
    ProgramState state{host};
    LinkToolBar bar{state};
    QComboBox jurFile;
    Settings settings{state};
};

const QByteArray kEmptyFiles = "File0=\nFile1=\nFile2=\nFile3=\nFile4=\nFile5=\nFile6=\n"
                               "File7=\nFile8=\nFile9=\n";

TEST(SettingsFileName, ExtensionReplacedOrAppended)
{
    EXPECT_EQ(settingsFileName("/opt/tools/Prog.exe"),
              QFileInfo("/opt/tools/Prog.ini").absoluteFilePath());
    EXPECT_EQ(settingsFileName("/opt/vestan/bin/vestan"),
              QFileInfo("/opt/vestan/bin/vestan.ini").absoluteFilePath());
    EXPECT_EQ(settingsFileName("/opt/v.1/vestan"),
              QFileInfo("/opt/v.1/vestan.ini").absoluteFilePath());
    EXPECT_EQ(settingsFileName("/opt/.vestan"), QFileInfo("/opt/.vestan.ini").absoluteFilePath());
    EXPECT_EQ(settingsFileName("/opt/vestan.tar.gz"),
              QFileInfo("/opt/vestan.tar.ini").absoluteFilePath());
}

TEST_F(SettingsTest, WithoutAFileTheDefaultsHoldAndTheFileIsCreated)
{
    load();
    EXPECT_EQ(state.channel.portIndex, 1);
    EXPECT_EQ(state.channel.netNumber, 33);
    EXPECT_EQ(bar.EdIDNet()->text(), "33");
    EXPECT_EQ(bar.CBoxSize()->currentIndex(), 7);
    EXPECT_EQ(state.session.portionSize, 1024);
    EXPECT_EQ(state.session.phoneNumber, "");
    EXPECT_EQ(state.recentFiles.recentCount(), 0);
    EXPECT_EQ(state.paths.programDir, QDir::toNativeSeparators(dir.path() + "/"));
    EXPECT_EQ(state.paths.programFileName, "vestan");

    settings.SaveSettings();
    EXPECT_EQ(ini(), test::onDisk("[VestanApp]\nComPort=COM2\nIdNet=33\nIGetSize=7\nPhone=\"\"\n" +
                                  kEmptyFiles));
}

struct PortCase
{
    const char *value;
    int portIndex;
};

class SettingsPort : public SettingsTest, public ::testing::WithParamInterface<PortCase>
{};

TEST_P(SettingsPort, OnlyComAndOneCharacterNamesAPort)
{
    putKey(QByteArray("ComPort=") + GetParam().value);
    load();
    EXPECT_EQ(state.channel.portIndex, GetParam().portIndex);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsPort,
                         ::testing::Values(PortCase{"COM3", 2}, PortCase{"COM1", 0},
                                           PortCase{"COM4", 3}, PortCase{"\"COM3\"", 2},
                                           PortCase{"COM7", 1}, PortCase{"COM0", 1},
                                           PortCase{"COMx", 1}, PortCase{"com3", 1},
                                           PortCase{"COM10", 1}, PortCase{"", 1},
                                           PortCase{"3", 1}));

TEST_F(SettingsTest, APortFromCom5UpIsWrittenButReadsBackAsCom2)
{
    state.session.rememberedPort = 6;
    state.channel.portIndex = 2; // chosen, never opened: not what is remembered
    settings.SaveSettings();
    EXPECT_TRUE(ini().contains(test::onDisk("ComPort=COM7\n")));
    load();
    EXPECT_EQ(state.channel.portIndex, 1);
}

struct NumberCase
{
    const char *value;
    int expected;
};

class SettingsIdNet : public SettingsTest, public ::testing::WithParamInterface<NumberCase>
{};

TEST_P(SettingsIdNet, NetworkNumberOutOfRangeGives33)
{
    putKey(QByteArray("IdNet=") + GetParam().value);
    load();
    EXPECT_EQ(state.channel.netNumber, GetParam().expected);
    EXPECT_EQ(bar.EdIDNet()->text(), QString::number(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsIdNet,
                         ::testing::Values(NumberCase{"250", 250}, NumberCase{"1", 1},
                                           NumberCase{"0", 33}, NumberCase{"251", 33},
                                           NumberCase{"-5", 33}, NumberCase{"abc", 33},
                                           NumberCase{"", 33}, NumberCase{" +12x", 12},
                                           NumberCase{"4294967329", 33}));

class SettingsSize : public SettingsTest, public ::testing::WithParamInterface<NumberCase>
{};

TEST_P(SettingsSize, PortionSizeItem)
{
    putKey(QByteArray("IGetSize=") + GetParam().value);
    load();
    const uint16_t sizes[] = {16, 32, 64, 128, 256, 512, 1000, 1024};
    EXPECT_EQ(bar.CBoxSize()->currentIndex(), GetParam().expected);
    EXPECT_EQ(state.session.portionSize, sizes[GetParam().expected]);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsSize,
                         ::testing::Values(NumberCase{"0", 0}, NumberCase{"3", 3},
                                           NumberCase{"7", 7}, NumberCase{"8", 7},
                                           NumberCase{"-1", 7}, NumberCase{"", 7},
                                           NumberCase{"abc", 0}));

TEST_F(SettingsTest, NoSelectedPortionSizeIsWrittenAsZero)
{
    state.session.sizeItem = -1;
    settings.SaveSettings();
    EXPECT_TRUE(ini().contains(test::onDisk("IGetSize=0\n")));
}

TEST_F(SettingsTest, PhoneIsCutTo48AndAnEmptyOneSurvives)
{
    const QByteArray sixty = QByteArray("0123456789").repeated(6);
    putKey("Phone=" + sixty);
    load();
    EXPECT_EQ(state.session.phoneNumber, QString::fromLatin1(sixty.left(48)));
    EXPECT_EQ(bar.EdPhone()->text(), QString::fromLatin1(sixty.left(48)));

    putKey("Phone=\"\"");
    load();
    EXPECT_EQ(state.session.phoneNumber, "");
}

TEST_F(SettingsTest, AMissingPhoneOrOneStartingWithAQuestionMarkKeepsTheNumber)
{
    state.session.phoneNumber = "555";
    putKey("IdNet=7");
    load();
    EXPECT_EQ(state.session.phoneNumber, "555");
    EXPECT_EQ(bar.EdPhone()->text(), "555");

    putKey("Phone=?123");
    load();
    EXPECT_EQ(state.session.phoneNumber, "555");
}

TEST_F(SettingsTest, PhoneRoundTripsInQuotes)
{
    // The field as shown is saved, a pasted line break inside it taken out.
    bar.EdPhone()->setText("8 (495)\r\n 123");
    bar.NormalizePhone();
    settings.SaveSettings();
    EXPECT_TRUE(ini().contains(test::onDisk("Phone=\"8 (495) 123\"\n")));
    state.session.phoneNumber.clear();
    load();
    EXPECT_EQ(state.session.phoneNumber, "8 (495) 123");
}

TEST_F(SettingsTest, EmptyRecentEntriesAreSkippedAndTheNewestIsSelected)
{
    putIni("[VestanApp]\nFile0=/j/a.dat\nFile1=\nFile2=/j/b.dat\nFile9=/j/Журнал.dat\n");
    load();
    EXPECT_EQ(recentList(), QStringList({"/j/a.dat", "/j/b.dat", "/j/Журнал.dat"}));
    EXPECT_EQ(state.recentFiles.recentCount(), 3);
    EXPECT_EQ(jurFile.currentIndex(), 0);
}

TEST_F(SettingsTest, ThreeFilesThenARunThatOpensNothingRewritesAllTenKeys)
{
    const QByteArray saved = "[VestanApp]\nComPort=COM2\nIdNet=33\nIGetSize=7\nPhone=\"\"\n"
                             "File0=/j/a.dat\nFile1=/j/b.dat\nFile2=/j/c.dat\nFile3=\nFile4=\n"
                             "File5=\nFile6=\nFile7=\nFile8=\nFile9=\n";
    putIni(saved);
    load();
    EXPECT_EQ(state.recentFiles.recentCount(), 3);
    settings.SaveSettings();
    EXPECT_EQ(ini(), saved);
}

TEST_F(SettingsTest, AShorterListOverwritesStaleEntries)
{
    putIni("[VestanApp]\nFile0=/j/1\nFile1=/j/2\nFile2=/j/3\nFile3=/j/4\nFile4=/j/5\n");
    for (const char *name : {"/j/a.dat", "/j/b.dat"})
        state.recentFiles.append(name);
    settings.SaveSettings();
    const QByteArray written = ini();
    EXPECT_TRUE(written.contains("File0=/j/a.dat\nFile1=/j/b.dat\nFile2=\nFile3=\nFile4=\n"));
    EXPECT_TRUE(written.endsWith("File9=\n"));
}

TEST_F(SettingsTest, WritingTwiceWritesTheSameValues)
{
    load();
    state.recentFiles.AddRecentFile("/j/x.dat");
    settings.SaveSettings();
    const QByteArray first = ini();
    settings.SaveSettings();
    EXPECT_EQ(ini(), first);
    EXPECT_TRUE(first.contains(test::onDisk("File0=/j/x.dat\nFile1=\n")));
}

TEST_F(SettingsTest, OtherLinesOfTheFileStayAsTheyWere)
{
    putIni("; Vestan\r\n[Other]\r\nIdNet=1\r\n\r\n[VestanApp]\r\nIdNet=12\r\nExtra=keep\r\n");
    load();
    settings.SaveSettings();
    EXPECT_EQ(ini(), "; Vestan\r\n[Other]\r\nIdNet=1\r\n\r\n[VestanApp]\r\nIdNet=12\r\n"
                     "Extra=keep\r\nComPort=COM2\r\nIGetSize=7\r\nPhone=\"\"\r\n"
                     "File0=\r\nFile1=\r\nFile2=\r\nFile3=\r\nFile4=\r\nFile5=\r\nFile6=\r\n"
                     "File7=\r\nFile8=\r\nFile9=\r\n");
}

TEST_F(SettingsTest, AnUnwritableFileIsReportedOnceWithItsPathAndLosesNothing)
{
    const QByteArray before = "; keep\n[VestanApp]\nComPort=COM4\nIdNet=9\n[Other]\nx=1\n";
    putIni(before);
    QFile::setPermissions(iniPath(), QFileDevice::ReadOwner | QFileDevice::ReadUser);
    load();
    state.session.rememberedPort = 0;

    EXPECT_THROW(settings.SaveSettings(), VestanError);
    guarded(host, [this] { settings.SaveSettings(); })();
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "Unable to write to " + QDir::toNativeSeparators(iniPath()));
    EXPECT_EQ(ini(), before);
    EXPECT_EQ(host.boxes.size(), 0u);
}

// $XDG_CONFIG_HOME for one test, restored when the guard goes.
auto userFolder(const QString &path)
{
    const char *variable = test::userConfigVariable();
    const bool had = qEnvironmentVariableIsSet(variable);
    const QByteArray saved = qgetenv(variable);
    qputenv(variable, QFile::encodeName(path));
    return qScopeGuard([=] { had ? qputenv(variable, saved) : qunsetenv(variable); });
}

TEST_F(SettingsTest, AFolderThatCannotBeMadeIsReportedWithTheFullPath)
{
    // A program whose folder takes no file, and a user folder that cannot be made
    // because a plain file stands in its way.
    host.path = dir.filePath("gone/vestan");
    ASSERT_TRUE(QFile(dir.filePath("config")).open(QIODevice::WriteOnly));
    const auto user = userFolder(dir.filePath("config"));
    load();
    try {
        settings.SaveSettings();
        FAIL() << "no error";
    } catch (const VestanError &e) {
        EXPECT_EQ(e.text(), "Unable to write to " + QDir::toNativeSeparators(dir.filePath(
                                                        QStringLiteral("config/") +
                                                        test::userSettingsName() + "/vestan.ini")));
    }
    EXPECT_FALSE(QDir(dir.filePath("gone")).exists());
}

// An installed program: its folder takes no file (as root, which may write
// anywhere, the runs are made as "nobody"), so the settings live in the user's
// folder, made at the first save, and come back at the next start.
TEST_F(SettingsTest, AProgramInAReadOnlyFolderKeepsItsSettingsInTheUsersFolder)
{
    VESTAN_NEEDS_LINUX_FILES();
    const QString program = dir.filePath("usr/bin");
    const QString home = dir.filePath("home");
    ASSERT_TRUE(QDir().mkpath(program) && QDir().mkpath(home));
    ASSERT_TRUE(test::setFileMode(dir.path(), 0755));
    ASSERT_TRUE(test::setFileMode(program, 0555));
    ASSERT_TRUE(test::setFileMode(home, 0777));
    host.path = program + "/vestan";
    const auto user = userFolder(home + "/.config");

    const int kept = test::asPlainUser([this] {
        load();
        state.channel.netNumber = 77;
        state.session.rememberedPort = 2;
        settings.SaveSettings();
        state.channel.netNumber = 1;
        state.channel.portIndex = 1;
        settings.LoadSettings(); // the next start
        return state.channel.netNumber == 77 && state.channel.portIndex == 2 ? 0 : 1;
    });
    test::setFileMode(program, 0755);
    EXPECT_EQ(kept, 0);
    EXPECT_TRUE(QFile::exists(home + "/.config/vestan/vestan.ini"));
    EXPECT_FALSE(QFile::exists(program + "/vestan.ini"));

    // Root may write /usr/bin, but a file left there would stand in every user's way.
    EXPECT_EQ(settingsFilePath("/usr/bin/vestan"), home + "/.config/vestan/vestan.ini");
    EXPECT_EQ(settingsFilePath("/usr/local/bin/vestan"), home + "/.config/vestan/vestan.ini");
}

// A file left beside the program by a run as administrator: its values
// start the user's own file, which takes every later change.
TEST_F(SettingsTest, AnUnwritableFileBesideTheProgramGivesOnlyTheStartingValues)
{
    VESTAN_NEEDS_LINUX_FILES();
    putKey("IdNet=55");
    ASSERT_TRUE(test::setFileMode(iniPath(), 0444));
    ASSERT_TRUE(test::setFileMode(dir.path(), 0755));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("home")) &&
                test::setFileMode(dir.filePath("home"), 0777));
    const auto user = userFolder(dir.filePath("home"));
    const int seen = test::asPlainUser([this] {
        load();
        const int first = state.channel.netNumber;
        state.channel.netNumber = 77;
        settings.SaveSettings();
        settings.LoadSettings(); // the next start
        return first == 55 && state.channel.netNumber == 77 ? 0 : 1;
    });
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(ini(), "[VestanApp]\nIdNet=55\n");
}

// A name outside code page 1251 comes back from the settings file (code
// page 1251 on Windows) as one that opens the same file, never with "?".
TEST_F(SettingsTest, ARecentFileOutsideTheCodePageStillOpensAfterARestart)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Zürich Ω")));
    const QString name = QDir::toNativeSeparators(dir.filePath(QStringLiteral("Zürich Ω/jü.dat")));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("journal") == 7);
    file.close();
    load();
    state.recentFiles.AddRecentFile(name);
    settings.SaveSettings();
    load();
    const QString back = state.recentFiles.newest();
    EXPECT_FALSE(back.contains(u'?')) << qPrintable(back);
    QFile again(back);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly)) << qPrintable(back);
    EXPECT_EQ(again.readAll(), "journal");
}

} // namespace
} // namespace vestan
