#include "link/linktoolbar.h"
#include "platform/codepage.h"
#include "session/session.h"
#include "tests/support/fakelink.h"
#include "tests/support/scriptedhost.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gmock/gmock.h>

namespace vestan {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LinkToolBarTest : public ::testing::Test
{
protected:
    LinkToolBarTest() { state.api = link.api(); }

    void sendFocus(QWidget *w, QEvent::Type type)
    {
        QFocusEvent event(type, Qt::TabFocusReason);
        QApplication::sendEvent(w, &event);
    }

    bool labelIsOpenColoured() const
    {
        const QLabel *l = bar.StTComName();
        return l->palette().color(l->backgroundRole()) == QColor(0, 128, 0) &&
               l->palette().color(l->foregroundRole()) == QColor(Qt::white);
    }

    bool labelIsClosedColoured() const
    {
        const QLabel *l = bar.StTComName();
        const QPalette system = QApplication::palette(l);
        return l->backgroundRole() == QPalette::Light &&
               l->foregroundRole() == QPalette::WindowText &&
               l->palette().color(QPalette::Light) == system.color(QPalette::Light) &&
               l->palette().color(QPalette::WindowText) == system.color(QPalette::WindowText);
    }

    test::ScriptedHost host;
    test::FakeLink link;
    Session state{host};
    LinkToolBar bar{state};
};

// ---- layout ----

TEST_F(LinkToolBarTest, ControlsCarryTheirNamesTextsHintsAndWidths)
{
    EXPECT_EQ(bar.objectName(), "PnlCom");
    EXPECT_EQ(bar.property("hint").toString(), "Работа с устройством связи");
    EXPECT_TRUE(bar.toolTip().isEmpty());

    EXPECT_EQ(bar.StTIDNet()->text(), " № ");
    EXPECT_EQ(bar.StTIDNet()->toolTip(), "Сетевой номер контроллера");
    EXPECT_EQ(bar.EdIDNet()->objectName(), "EdIDNet");
    EXPECT_EQ(bar.EdIDNet()->text(), "33");
    EXPECT_EQ(bar.EdIDNet()->width(), 40);
    EXPECT_EQ(bar.EdIDNet()->toolTip(), "Сетевой номер 1 .. 250");
    EXPECT_EQ(bar.EdPhone()->width(), 143);
    EXPECT_EQ(bar.EdPhone()->toolTip(), "Телефрнный номер.");
    EXPECT_EQ(bar.StTComName()->text(), "COM2  [5555555]");
    EXPECT_EQ(bar.StTComName()->toolTip(), "Устройство связи");
    EXPECT_EQ(bar.StTComName()->alignment(), Qt::AlignCenter);
    EXPECT_EQ(bar.StTComName()->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(bar.SBtnComSelect()->toolTip(), "Выбрать и открыть  устройства связи");
    EXPECT_EQ(bar.SBtnComOpenClose()->text(), "Открыть");
    EXPECT_EQ(bar.SBtnComOpenClose()->width(), 64);
    EXPECT_EQ(bar.SBtnComOpenClose()->toolTip(), "Открыть/Закрыть устройство связи");
    EXPECT_EQ(bar.SBtnComState()->toolTip(), "Статистика сенса связи");
    EXPECT_EQ(bar.SBtnComSetup()->toolTip(), "Настройка параметров связи");
    EXPECT_EQ(bar.SBtnComStop()->toolTip(), "Завершить сеанс связи (прием/передачу)");
    for (QToolButton *b :
         {bar.SBtnComSelect(), bar.SBtnComState(), bar.SBtnComSetup(), bar.SBtnComStop()})
        EXPECT_FALSE(b->icon().pixmap(16, 16).isNull()) << b->objectName().toStdString();

    QComboBox *size = bar.CBoxSize();
    EXPECT_EQ(size->toolTip(), "Max. размер поции для чтения с контроллера");
    EXPECT_FALSE(size->isEditable());
    EXPECT_EQ(size->currentIndex(), -1);
    const QStringList items = {"    16", "    32", "    64", "  128",
                               "  256",  "  512",  "1000",   "1024"};
    ASSERT_EQ(size->count(), items.size());
    for (int i = 0; i < size->count(); ++i)
        EXPECT_EQ(size->itemText(i), items[i]);
}

// ---- RefreshLinkStatus ----

struct StateCase
{
    int isOpen;
    int running;
    const char *caption;
    bool openCloseEnabled;
    bool selectEnabled;
    bool fieldsEnabled;
    bool stopShown;
};

class LinkToolBarStates : public LinkToolBarTest, public ::testing::WithParamInterface<StateCase>
{};

TEST_P(LinkToolBarStates, RefreshShowsTheState)
{
    const StateCase c = GetParam();
    // Start from the opposite state, so every control has to change.
    state.channel.isOpen = !c.isOpen;
    state.channel.running = !c.running;
    bar.RefreshLinkStatus();

    state.channel.isOpen = c.isOpen;
    state.channel.running = c.running;
    state.channel.baudRate = 9600;
    bar.RefreshLinkStatus();

    EXPECT_EQ(bar.StTComName()->text(), "COM2  [9600]");
    EXPECT_EQ(bar.SBtnComOpenClose()->text(), QString::fromUtf8(c.caption));
    EXPECT_EQ(bar.SBtnComOpenClose()->isEnabled(), c.openCloseEnabled);
    EXPECT_EQ(bar.SBtnComSelect()->isEnabled(), c.selectEnabled);
    EXPECT_EQ(bar.SBtnComSetup()->isEnabled(), c.selectEnabled);
    EXPECT_EQ(bar.EdIDNet()->isEnabled(), c.fieldsEnabled);
    EXPECT_EQ(bar.CBoxSize()->isEnabled(), c.fieldsEnabled);
    EXPECT_EQ(bar.SBtnComStop()->isEnabled(), c.stopShown);
    EXPECT_EQ(bar.SBtnComStop()->isHidden(), !c.stopShown);
    EXPECT_TRUE(bar.SBtnComState()->isEnabled());
    EXPECT_TRUE(bar.EdPhone()->isEnabled());
    EXPECT_EQ(labelIsOpenColoured(), c.isOpen != 0);
    EXPECT_EQ(labelIsClosedColoured(), c.isOpen == 0);
}

INSTANTIATE_TEST_SUITE_P(FourStates, LinkToolBarStates,
                         ::testing::Values(StateCase{0, 0, "Открыть", true, true, true, false},
                                           StateCase{1, 0, "Закрыть", true, false, true, false},
                                           StateCase{0, 1, "Открыть", false, true, false, true},
                                           StateCase{1, 1, "Закрыть", false, false, false, true}));

// ---- open and close ----

TEST_F(LinkToolBarTest, OpenHandsOverThePhoneThenOpensAndReadsTheState)
{
    // Typed, never left, never confirmed with Enter: the open takes it as shown.
    bar.EdPhone()->setText(" 8-495-\n123\t");
    bar.SBtnComOpenClose()->click();
    EXPECT_THAT(link.calls,
                ElementsAre("_trvCL_fIsOpen(1)", "_trvCL_fSetPhone(1)", "_trvCL_fOpen(1)",
                            "_trvCL_fIsOpen(1)", "_trvCL_fParamBaud(1)"));
    EXPECT_THAT(link.phones, ElementsAre("8-495-123"));
    EXPECT_EQ(bar.EdPhone()->text(), "8-495-123");
    EXPECT_EQ(state.channel.isOpen, 1);
    EXPECT_EQ(state.channel.baudRate, 115200u);
    EXPECT_EQ(bar.StTComName()->text(), "COM2  [115200]");
    EXPECT_EQ(bar.SBtnComOpenClose()->text(), "Закрыть");
    EXPECT_FALSE(bar.SBtnComSelect()->isEnabled());
    EXPECT_FALSE(bar.SBtnComSetup()->isEnabled());
    EXPECT_TRUE(bar.SBtnComStop()->isHidden());
    EXPECT_TRUE(labelIsOpenColoured());

    link.calls.clear();
    bar.SBtnComOpenClose()->click();
    EXPECT_THAT(link.calls, ElementsAre("_trvCL_fIsOpen(1)", "_trvCL_fClose(1)",
                                        "_trvCL_fIsOpen(1)", "_trvCL_fParamBaud(1)"));
    EXPECT_EQ(state.channel.isOpen, 0);
    EXPECT_EQ(bar.SBtnComOpenClose()->text(), "Открыть");
    EXPECT_TRUE(bar.SBtnComSelect()->isEnabled());
    EXPECT_TRUE(labelIsClosedColoured());
    EXPECT_EQ(host.boxes.size(), 0u);
}

TEST_F(LinkToolBarTest, AnOpenOfAnotherPortMovesPortAndRememberedPort)
{
    link.openResult = 4;
    bar.SBtnComOpenCloseClick();
    EXPECT_EQ(state.channel.portIndex, 4);
    EXPECT_EQ(state.session.rememberedPort, 4);
    EXPECT_EQ(link.calls[3], "_trvCL_fIsOpen(4)");
    EXPECT_EQ(link.calls[4], "_trvCL_fParamBaud(4)");
    EXPECT_EQ(bar.StTComName()->text(), "COM5  [115200]");
}

TEST_F(LinkToolBarTest, AFailedOpenShowsTheLibrarysTextAndChangesNothing)
{
    link.openResult = -7;
    link.errorTexts[-7] = toCp1251("Порт занят другой программой");
    link.baud = 0;
    state.channel.portIndex = 2;
    state.session.rememberedPort = 0;
    bar.SBtnComOpenCloseClick();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Vestan:COM3");
    EXPECT_EQ(host.boxes[0].text, "Порт занят другой программой");
    EXPECT_EQ(host.boxes[0].style, 0x10);
    EXPECT_EQ(state.channel.portIndex, 2);
    EXPECT_EQ(state.session.rememberedPort, 0);
    EXPECT_EQ(state.channel.isOpen, 0);
    EXPECT_EQ(bar.StTComName()->text(), "COM3");
    EXPECT_EQ(bar.SBtnComOpenClose()->text(), "Открыть");
    EXPECT_TRUE(labelIsClosedColoured());
}

TEST_F(LinkToolBarTest, ANegativeCodeWithoutTextShowsNothing)
{
    link.openResult = -9; // no text at all
    bar.SBtnComOpenCloseClick();
    link.errorTexts[-8] = QByteArray("");
    bar.ReportLinkError(-8, QStringLiteral("COM2"));
    EXPECT_EQ(host.boxes.size(), 0u);
}

TEST_F(LinkToolBarTest, ReportLinkErrorCaptionForms)
{
    link.errorTexts[-3] = toCp1251("Нет ответа");
    bar.ReportLinkError(-3);
    bar.ReportLinkError(-3, QStringLiteral("COM1"));
    link.calls.clear();
    bar.ReportLinkError(0, QStringLiteral("COM1"));
    bar.ReportLinkError(5);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].caption, "Vestan");
    EXPECT_EQ(host.boxes[1].caption, "Vestan:COM1");
    EXPECT_EQ(host.boxes[1].text, "Нет ответа");
    EXPECT_THAT(link.calls, IsEmpty()); // a code >= 0 never asks the library
}

// ---- selection, statistics, setup, stop ----

TEST_F(LinkToolBarTest, SelectingADeviceMovesThePortButNotTheRememberedOne)
{
    link.dlgSetupResults[1] = 3;
    bar.SBtnComSelect()->click();
    EXPECT_THAT(link.calls, ElementsAre("_trvCL_fDlgSetup(1,1)"));
    EXPECT_EQ(state.channel.portIndex, 3);
    EXPECT_EQ(state.session.rememberedPort, 1);
    EXPECT_EQ(bar.StTComName()->text(), "COM4");
    EXPECT_TRUE(bar.SBtnComSelect()->isEnabled());
}

TEST_F(LinkToolBarTest, ASelectionErrorKeepsThePort)
{
    link.dlgSetupResults[1] = -4;
    link.errorTexts[-4] = toCp1251("Ошибка диалога");
    bar.SBtnComSelectClick();
    EXPECT_EQ(state.channel.portIndex, 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Vestan:COM2");
}

TEST_F(LinkToolBarTest, StatisticsReportANegativeCode)
{
    bar.SBtnComState()->click();
    EXPECT_EQ(host.boxes.size(), 0u);
    link.dlgSetupResults[2] = -12;
    link.errorTexts[-12] = toCp1251("Нет статистики");
    state.channel.isOpen = 1;
    bar.SBtnComStateClick();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Vestan:COM2");
    EXPECT_EQ(host.boxes[0].text, "Нет статистики");
    EXPECT_EQ(host.boxes[0].style, 0x10);
    EXPECT_EQ(bar.SBtnComOpenClose()->text(), "Закрыть"); // refreshed
}

TEST_F(LinkToolBarTest, SetupReadsTheSpeedAgain)
{
    link.dlgSetupResults[0] = -1; // ignored
    link.baud = 57600;
    bar.SBtnComSetup()->click();
    EXPECT_THAT(link.calls, ElementsAre("_trvCL_fDlgSetup(0,1)", "_trvCL_fParamBaud(1)"));
    EXPECT_EQ(bar.StTComName()->text(), "COM2  [57600]");
    EXPECT_EQ(host.boxes.size(), 0u);
}

TEST_F(LinkToolBarTest, StopClearsRunningAndHidesItself)
{
    state.channel.running = 1;
    bar.RefreshLinkStatus();
    ASSERT_FALSE(bar.SBtnComStop()->isHidden());
    bar.SBtnComStop()->click();
    EXPECT_EQ(state.channel.running, 0);
    EXPECT_TRUE(bar.SBtnComStop()->isHidden());
    EXPECT_FALSE(bar.SBtnComStop()->isEnabled());
    EXPECT_TRUE(bar.SBtnComOpenClose()->isEnabled());
    EXPECT_TRUE(bar.EdIDNet()->isEnabled());
    EXPECT_THAT(link.calls, IsEmpty());
}

TEST_F(LinkToolBarTest, WithoutTheLibraryTheButtonsOnlyRefresh)
{
    state.api = LinkApi{};
    bar.SBtnComOpenCloseClick();
    bar.SBtnComSelectClick();
    bar.SBtnComStateClick();
    bar.SBtnComSetupClick();
    bar.ReportLinkError(-1);
    EXPECT_THAT(link.calls, IsEmpty());
    EXPECT_EQ(bar.StTComName()->text(), "COM2");
}

// ---- network number ----

TEST_F(LinkToolBarTest, TypingOverTheNetworkNumberKeepsOnlyValidNumbers)
{
    QLineEdit *field = bar.EdIDNet();
    field->selectAll();
    QTest::keyClicks(field, "2");
    EXPECT_EQ(field->text(), "2");
    EXPECT_EQ(state.channel.netNumber, 2);
    QTest::keyClicks(field, "5");
    EXPECT_EQ(field->text(), "25");
    QTest::keyClicks(field, "1");
    EXPECT_EQ(field->text(), "25");
    EXPECT_EQ(state.channel.netNumber, 25);

    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_EQ(field->text(), "25");

    field->selectAll();
    QTest::keyClicks(field, "0");
    EXPECT_EQ(field->text(), "25");
    field->selectAll();
    QTest::keyClicks(field, "-");
    EXPECT_EQ(field->text(), "25");

    field->selectAll();
    field->insert("007"); // what a paste over the selection does
    EXPECT_EQ(field->text(), "7");
    EXPECT_EQ(state.channel.netNumber, 7);

    field->setText("250");
    EXPECT_EQ(state.channel.netNumber, 250);
    field->setText(" -3");
    EXPECT_EQ(field->text(), "250");
}

TEST_F(LinkToolBarTest, EnteringAndLeavingTheNetworkNumberRefreshes)
{
    bar.RefreshLinkStatus();
    state.channel.isOpen = 1;
    sendFocus(bar.EdIDNet(), QEvent::FocusIn);
    EXPECT_EQ(bar.SBtnComOpenClose()->text(), "Закрыть");
    state.channel.isOpen = 0;
    sendFocus(bar.EdIDNet(), QEvent::FocusOut);
    EXPECT_EQ(bar.SBtnComOpenClose()->text(), "Открыть");
    EXPECT_EQ(bar.EdIDNet()->text(), "33");
}

// ---- portion size ----

TEST_F(LinkToolBarTest, PortionSizeFollowsTheSelectedItem)
{
    const uint16_t sizes[] = {16, 32, 64, 128, 256, 512, 1000, 1024};
    for (int i = 7; i >= 0; --i) {
        bar.CBoxSize()->setCurrentIndex(i);
        EXPECT_EQ(state.session.portionSize, sizes[i]);
    }
    bar.CBoxSize()->setCurrentIndex(-1);
    EXPECT_EQ(state.session.portionSize, 16);
}

// ---- telephone number ----

TEST_F(LinkToolBarTest, LeavingThePhoneFieldTrimsAndCutsTo48)
{
    const QString digits = QString("0123456789").repeated(6); // 60 characters
    bar.EdPhone()->setText(" \t\x01" + digits + " \x7f");
    sendFocus(bar.EdPhone(), QEvent::FocusOut);
    EXPECT_EQ(state.session.phoneNumber, digits.left(48));
    EXPECT_EQ(bar.EdPhone()->text(), digits.left(48));
    EXPECT_THAT(link.phones, IsEmpty()); // reaches the library only on the next open

    bar.SBtnComOpenCloseClick();
    EXPECT_THAT(link.phones, ElementsAre(digits.left(48).toStdString()));
}

TEST_F(LinkToolBarTest, EnterInThePhoneFieldTakesTheNumber)
{
    bar.EdPhone()->setText("  ATDP 123  ");
    QTest::keyClick(bar.EdPhone(), Qt::Key_Return);
    EXPECT_EQ(state.session.phoneNumber, "ATDP 123");
    bar.EdPhone()->setText(" 456");
    QTest::keyClick(bar.EdPhone(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(state.session.phoneNumber, "456");
}

TEST_F(LinkToolBarTest, ClickingOrEnteringThePhoneFieldDiscardsAnUnfinishedEntry)
{
    state.session.phoneNumber = "123";
    bar.EdPhone()->setText("12399");
    QTest::mouseClick(bar.EdPhone(), Qt::LeftButton);
    EXPECT_EQ(bar.EdPhone()->text(), "123");
    bar.EdPhone()->setText("");
    sendFocus(bar.EdPhone(), QEvent::FocusIn);
    EXPECT_EQ(bar.EdPhone()->text(), "123");
    EXPECT_EQ(state.session.phoneNumber, "123");
}

TEST_F(LinkToolBarTest, AnEmptyPhoneFieldGivesAnEmptyNumber)
{
    state.session.phoneNumber = "123";
    bar.EdPhone()->setText(" \t ");
    bar.EdPhoneKeyPress(QChar(13));
    EXPECT_EQ(state.session.phoneNumber, "");
    bar.EdPhone()->setText("5");
    bar.EdPhoneKeyPress(QChar('a'));
    EXPECT_EQ(state.session.phoneNumber, "");
}

} // namespace
} // namespace vestan
