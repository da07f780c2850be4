#include "tests/app/windowrig.h"

#include "journal/progresspanel.h"
#include "platform/guarded.h"
#include "tests/support/testsystem.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace vestan::test {
namespace {

using Calls = std::vector<std::string>;

int32_t throwingSetEvent(int32_t, int32_t)
{
    throw VestanError(QStringLiteral("Порт занят"));
}

int32_t throwingAbout(const char *, const char *, const char *, const char *)
{
    throw VestanError(QStringLiteral("Окно занято"));
}

// Points the temporary directory at the rig's own for the life of a test.
class TempDirOverride
{
public:
    explicit TempDirOverride(const QString &dir) : old_(qgetenv(test::tempVariable()))
    {
        qputenv(test::tempVariable(), QFile::encodeName(dir));
    }
    ~TempDirOverride() { qputenv(test::tempVariable(), old_); }

private:
    QByteArray old_;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void clickExit(WindowRig &rig)
{
    auto *exit = rig.find<QToolButton>("SBtnExit");
    ASSERT_NE(exit, nullptr);
    QTest::mouseClick(exit, Qt::LeftButton);
}

// --- start-up ---------------------------------------------------------------

TEST(StartUp, OpensOnTheJournalPageWithTheProgressPanelHidden)
{
    WindowRig rig;
    rig.open();
    ASSERT_TRUE(rig.window->started());
    EXPECT_FALSE(rig.window->isVisible()); // showing is the entry's job
    auto *pages = rig.find<QTabWidget>("PgCtrl");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabSJur");
    auto *panel = rig.find<ProgressPanel>("PnlLGetJur");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isHidden());
    rig.window->show();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(pages->isVisible());
}

TEST(StartUp, TheLibraryIsInitialisedThenAskedForTheSpeedOfThePort)
{
    WindowRig rig;
    rig.fake.baud = 19200;
    rig.open();
    EXPECT_EQ(rig.fake.calls, (Calls{"_trvCL_fInit()", "_trvCL_fParamBaud(1)"}));
    EXPECT_EQ(rig.state->libraryBound, 1);
    EXPECT_EQ(rig.state->channel.baudRate, 19200u);
}

TEST(StartUp, LinkStateStartsFreshWhateverWasThereBefore)
{
    WindowRig rig;
    rig.state->channel.portIndex = 5;
    rig.state->channel.netNumber = 7;
    rig.state->channel.isOpen = 1;
    rig.state->channel.running = 1;
    rig.state->session.rememberedPort = 6;
    rig.state->session.phoneNumber = QStringLiteral("5551234");
    rig.open();
    EXPECT_EQ(rig.state->channel.portIndex, 1);
    EXPECT_EQ(rig.state->session.rememberedPort, 1);
    EXPECT_EQ(rig.state->channel.netNumber, 33);
    EXPECT_EQ(rig.state->channel.isOpen, 0);
    EXPECT_EQ(rig.state->channel.running, 0);
    EXPECT_TRUE(rig.state->session.phoneNumber.isEmpty());
}

TEST(StartUp, PortFromTheSettingsFileIsRememberedAndAskedForItsSpeed)
{
    WindowRig rig;
    writeFile(rig.settingsPath(), "[VestanApp]\nComPort=COM3\nIdNet=12\n");
    rig.open();
    EXPECT_EQ(rig.state->channel.portIndex, 2);
    EXPECT_EQ(rig.state->session.rememberedPort, 2);
    EXPECT_EQ(rig.fake.calls, (Calls{"_trvCL_fInit()", "_trvCL_fParamBaud(2)"}));
    EXPECT_EQ(rig.find<QLineEdit>("EdIDNet")->text(), "12");
}

TEST(StartUp, MinimumSizeIsTheSizeFittedWithTheProgressPanelShown)
{
    WindowRig rig;
    rig.open();
    MainWindow &window = *rig.window;
    const QSize fitted = window.minimumSize();
    EXPECT_EQ(window.size(), fitted);
    EXPECT_GE(fitted.width(), 660);
    EXPECT_GE(fitted.height(), 219);

    // The panel took part in the fitting: showing it again needs no more room.
    rig.find("PnlLGetJur")->show();
    window.layout()->activate();
    QSize wanted = window.sizeHint().expandedTo(window.minimumSizeHint());
    wanted = wanted.boundedTo(window.screen()->availableSize());
    EXPECT_EQ(wanted, fitted);

    window.show();
    window.resize(fitted.width() - 50, fitted.height() - 50);
    EXPECT_EQ(window.size(), fitted);
    window.resize(fitted.width() + 120, fitted.height() + 80);
    EXPECT_EQ(window.size(), QSize(fitted.width() + 120, fitted.height() + 80));
}

TEST(StartUp, WithoutALibraryTheWindowIsNeverShownAndTheLibraryNeverCalled)
{
    WindowRig rig;
    rig.open(-4);
    EXPECT_FALSE(rig.window->started());
    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_EQ(rig.state->libraryBound, 0);
    rig.destroy();
    EXPECT_TRUE(rig.fake.calls.empty());
    EXPECT_TRUE(rig.host.errors.empty());
    // The ending still ran at the destruction and wrote the settings back.
    EXPECT_TRUE(QFileInfo::exists(rig.settingsPath()));
}

TEST(StartUp, TheRealLoaderTellsTheUserWhenNoLibraryIsFound)
{
    WindowRig rig;
    rig.state->linkLibraryName = QStringLiteral("vestan-test-no-such-link-library.so");
    rig.window = std::make_unique<MainWindow>(*rig.state);
    EXPECT_FALSE(rig.window->started());
    EXPECT_FALSE(rig.window->isVisible());
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].style & 0xF0, kMbIconStop);
}

TEST(StartUp, AnErrorDuringStartUpIsShownAndTheWindowStaysUnseen)
{
    WindowRig rig;
    rig.open([](ProgramState &) -> int32_t { throw VestanError(QStringLiteral("Нет доступа")); });
    ASSERT_EQ(rig.host.errors.size(), 1u);
    EXPECT_EQ(rig.host.errors[0], QStringLiteral("Нет доступа"));
    EXPECT_FALSE(rig.window->started());
    rig.destroy();
    EXPECT_TRUE(rig.fake.calls.empty());
}

TEST(StartUp, Timer1TicksEveryHalfSecondFromTheStart)
{
    WindowRig rig;
    rig.open();
    auto *timer = rig.window->findChild<QTimer *>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 500);
    EXPECT_TRUE(timer->isActive());

    // A tick shows the computer's time on BtnTime.
    auto *button = rig.find<QAbstractButton>("BtnTime");
    ASSERT_NE(button, nullptr);
    rig.host.now = QDateTime(QDate(2008, 5, 14), QTime(7, 5, 9));
    ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
    EXPECT_EQ(button->text(), "07:05:09");
}

// --- handlers ---------------------------------------------------------------

TEST(Handlers, TheAboutButtonShowsTheLibrarysAboutBox)
{
    WindowRig rig;
    rig.open();
    rig.window->show();
    QTest::mouseClick(rig.find<QToolButton>("SBtnAbout"), Qt::LeftButton);
    EXPECT_EQ(rig.fake.callsNamed("_trv_about").size(), 1u);
    ASSERT_EQ(rig.fake.aboutTexts.size(), 4u);
    EXPECT_EQ(rig.fake.aboutTexts[0], "Vestan");
}

TEST(Handlers, AnErrorInAHandlerIsShownAndTheProgramGoesOn)
{
    WindowRig rig;
    rig.open();
    rig.window->show();
    rig.state->api._trv_about = throwingAbout;
    auto *about = rig.find<QToolButton>("SBtnAbout");
    QTest::mouseClick(about, Qt::LeftButton);
    ASSERT_EQ(rig.host.errors.size(), 1u);
    EXPECT_EQ(rig.host.errors[0], QStringLiteral("Окно занято"));
    EXPECT_TRUE(rig.window->isVisible());

    rig.state->api = rig.fake.api();
    QTest::mouseClick(about, Qt::LeftButton);
    EXPECT_EQ(rig.fake.callsNamed("_trv_about").size(), 1u);
    EXPECT_EQ(rig.host.errors.size(), 1u);
}

// --- ending -----------------------------------------------------------------

TEST(Ending, TheExitButtonEndsTwice)
{
    WindowRig rig;
    rig.open();
    rig.state->channel.portIndex = 3;
    rig.window->show();
    clickExit(rig);
    EXPECT_FALSE(rig.window->isVisible());
    const Calls once{"_trvCL_fInit()", "_trvCL_fParamBaud(1)", "_trvCL_fSetEvent(3,1)",
                     "_trvCL_fClose(3)"};
    EXPECT_EQ(rig.fake.calls, once);
    rig.destroy();
    Calls twice = once;
    twice.insert(twice.end(), {"_trvCL_fSetEvent(3,1)", "_trvCL_fClose(3)"});
    EXPECT_EQ(rig.fake.calls, twice);
    EXPECT_TRUE(rig.host.errors.empty());
}

TEST(Ending, TheCloseBoxEndsOnce)
{
    WindowRig rig;
    rig.open();
    rig.window->show();
    rig.window->close();
    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_EQ(rig.fake.calls, (Calls{"_trvCL_fInit()", "_trvCL_fParamBaud(1)"}));
    rig.destroy();
    EXPECT_EQ(rig.fake.calls, (Calls{"_trvCL_fInit()", "_trvCL_fParamBaud(1)",
                                     "_trvCL_fSetEvent(1,1)", "_trvCL_fClose(1)"}));
    EXPECT_TRUE(rig.host.errors.empty());
}

TEST(Ending, ThePhoneAsTheFieldShowsItIsSaved)
{
    WindowRig rig;
    rig.open();
    rig.find<QLineEdit>("EdPhone")->setText("8 (495)\r\n 123"); // typed, never left
    rig.destroy();
    QFile file(rig.settingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(onDisk("Phone=\"8 (495) 123\"\n")));
}

TEST(Ending, ADoubleClickOnExitEndsLikeAClick)
{
    WindowRig rig;
    rig.open();
    rig.window->show();
    QTest::mouseDClick(rig.find<QToolButton>("SBtnExit"), Qt::LeftButton);
    EXPECT_FALSE(rig.window->isVisible());
    rig.destroy();
    EXPECT_EQ(rig.fake.callsNamed("_trvCL_fSetEvent").size(), 2u);
    EXPECT_EQ(rig.fake.callsNamed("_trvCL_fClose").size(), 2u);
}

TEST(Ending, TheDoubleClickEventAloneEnds)
{
    WindowRig rig;
    rig.open();
    rig.window->show();
    auto *button = rig.find<QToolButton>("SBtnExit");
    const QPointF at(button->rect().center());
    QMouseEvent event(QEvent::MouseButtonDblClick, at, button->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &event);
    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_EQ(rig.fake.callsNamed("_trvCL_fSetEvent").size(), 1u);
}

TEST(Ending, ClosingDuringATransferEndsItWithoutAnotherBox)
{
    WindowRig rig;
    TempDirOverride temp(rig.dir.path());
    rig.fake.objects[ObjJournalHeader] = QByteArray(2048, 'h');
    rig.fake.objects[ObjJournalData] = QByteArray(4096, 'd');
    rig.open();
    rig.window->show();
    // The window's close box while the second block is under way, and that
    // block's first attempt fails.
    rig.fake.requestResults = {0, 0, 0, -3};
    rig.fake.beforeRequest = [&](int index) {
        if (index == 3)
            rig.window->close();
    };
    rig.find<QAbstractButton>("SBtnJurLink")->click();
    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_TRUE(rig.host.boxes.empty()) << rig.host.boxes.front().text.toStdString();
    EXPECT_EQ(rig.state->channel.running, 0);
}

TEST(LinkState, TheToolBarUnlocksAfterAShortOperationThatARefreshCaught)
{
    WindowRig rig;
    rig.fake.objects[ObjDateTime] = QByteArray(8, '\1');
    rig.open();
    // A network number typed while the clock is read redraws the busy tool bar.
    rig.fake.beforeRequest = [&](int) { rig.find<QLineEdit>("EdIDNet")->setText("7"); };
    rig.find<QAbstractButton>("BtnGDTTM")->click();
    EXPECT_EQ(rig.state->channel.netNumber, 7);
    for (const char *name : {"EdIDNet", "CBoxSize", "SBtnComOpenClose", "SBtnJurLink"})
        EXPECT_TRUE(rig.find<QWidget>(name)->isEnabled()) << name;
    EXPECT_TRUE(rig.find<QWidget>("SBtnComStop")->isHidden());
}

TEST(Ending, TheTemporaryFileIsDeleted)
{
    WindowRig rig;
    TempDirOverride temp(rig.dir.path());
    rig.open();
    rig.state->paths.programDir = rig.dir.path() + QDir::separator();
    rig.state->paths.programFileName = QStringLiteral("vestan");
    rig.state->tempFile.CreateTempFile();
    ASSERT_TRUE(rig.state->tempFile.isRegistered());
    const QString name = rig.state->tempFile.TempFileName();
    ASSERT_TRUE(QFileInfo::exists(name));
    rig.window->show();
    clickExit(rig);
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_FALSE(rig.state->tempFile.isRegistered());
    rig.destroy();
    EXPECT_TRUE(rig.host.boxes.empty());
}

TEST(Ending, AnErrorInTheExitHandlerIsShownAndTheProgramGoesOn)
{
    WindowRig rig;
    TempDirOverride temp(rig.dir.path());
    rig.open();
    rig.state->paths.programFileName = QStringLiteral("vestan");
    rig.state->tempFile.CreateTempFile();
    ASSERT_TRUE(rig.state->tempFile.isRegistered());
    rig.state->api._trvCL_fSetEvent = throwingSetEvent;
    rig.window->show();

    clickExit(rig);
    ASSERT_EQ(rig.host.errors.size(), 1u);
    EXPECT_EQ(rig.host.errors[0], QStringLiteral("Порт занят"));
    // The rest of that ending was skipped: port open, file kept, window up.
    EXPECT_TRUE(rig.fake.callsNamed("_trvCL_fClose").empty());
    EXPECT_TRUE(rig.state->tempFile.isRegistered());
    EXPECT_TRUE(rig.window->isVisible());

    rig.state->api = rig.fake.api();
    clickExit(rig);
    EXPECT_EQ(rig.host.errors.size(), 1u);
    EXPECT_FALSE(rig.state->tempFile.isRegistered());
    EXPECT_FALSE(rig.window->isVisible());
}

TEST(Ending, AnUnwritableSettingsFileEndsThatRunAtTheWrite)
{
    WindowRig rig;
    TempDirOverride temp(rig.dir.path());
    // A directory in the settings file's place cannot be written, even by root.
    ASSERT_TRUE(QDir(rig.dir.path()).mkdir(QStringLiteral("vestan.ini")));
    rig.open();
    rig.state->paths.programFileName = QStringLiteral("vestan");
    rig.state->tempFile.CreateTempFile();
    rig.window->show();

    clickExit(rig);
    ASSERT_EQ(rig.host.errors.size(), 1u);
    EXPECT_EQ(rig.host.errors[0],
              QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(rig.settingsPath()));
    EXPECT_EQ(rig.fake.callsNamed("_trvCL_fClose").size(), 1u); // before the write
    EXPECT_TRUE(rig.state->tempFile.isRegistered());
    EXPECT_TRUE(rig.window->isVisible());

    rig.window->close();
    rig.destroy();
    EXPECT_EQ(rig.host.errors.size(), 2u);
    EXPECT_EQ(rig.fake.callsNamed("_trvCL_fClose").size(), 2u);
}

TEST(Ending, ClosingStopsARunningOperation)
{
    WindowRig rig;
    rig.open();
    rig.window->show();
    rig.state->channel.running = 1;
    rig.window->close();
    EXPECT_EQ(rig.state->channel.running, 0);
}

} // namespace
} // namespace vestan::test
