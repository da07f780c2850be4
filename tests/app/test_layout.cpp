// The whole window layout as the user meets it right after start-up: every
// named control exists, of its kind, where it belongs, with its caption and hint.
#include "tests/app/windowrig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace vestan::test {
namespace {

enum class Kind
{
    Band,
    Panel,
    TextField, // read-only static text
    Label,
    Edit,
    DropDown, // no free text
    EditCombo,
    PictureButton,
    Button, // a button with a caption
    CheckBox,
    GroupBox,
    ProgressBar,
    Memo,
    Picture,
};

enum Look : unsigned
{
    kAny = 0,
    kSunkenBorder = 1,
    kCentredText = 2,
    kLight = 4,
};

struct Control
{
    const char *name;
    Kind kind;
    const char *inside; // an enclosing control
    const char *text;   // nullptr: not checked
    const char *hint;   // nullptr: none
    bool hintShown = true;
    unsigned look = kAny;
};

// Date and time fields hold the scripted clock (2008-05-14 09:30:00), without leading zeros.
const Control kControls[] = {
    {"PnlCom", Kind::Band, "FrmMain", nullptr, "Работа с устройством связи", false},
    {"StTIDNet", Kind::TextField, "PnlCom", " № ", "Сетевой номер контроллера"},
    {"EdIDNet", Kind::Edit, "PnlCom", "33", "Сетевой номер 1 .. 250"},
    {"CBoxSize", Kind::DropDown, "PnlCom", "1024", "Max. размер поции для чтения с контроллера"},
    {"EdPhone", Kind::Edit, "PnlCom", "", "Телефрнный номер."},
    {"StTComName", Kind::TextField, "PnlCom", "COM2  [115200]", "Устройство связи", true,
     kSunkenBorder | kCentredText},
    {"SBtnComSelect", Kind::PictureButton, "PnlCom", nullptr,
     "Выбрать и открыть  устройства связи"},
    {"SBtnComOpenClose", Kind::Button, "PnlCom", "Открыть", "Открыть/Закрыть устройство связи"},
    {"SBtnComState", Kind::PictureButton, "PnlCom", nullptr, "Статистика сенса связи"},
    {"SBtnComSetup", Kind::PictureButton, "PnlCom", nullptr, "Настройка параметров связи"},
    {"SBtnComStop", Kind::PictureButton, "PnlCom", nullptr,
     "Завершить сеанс связи (прием/передачу)"},

    {"PnlInfo", Kind::Band, "FrmMain", nullptr, nullptr},
    {"SBtnAbout", Kind::PictureButton, "PnlInfo", nullptr, "Сведения о программе"},
    {"SBtnExit", Kind::PictureButton, "PnlInfo", nullptr, "Выход/завершение работы", false},

    {"SBtnJurLoad", Kind::PictureButton, "TabSJur", nullptr, "Выбор журнала"},
    {"CBoxJurFile", Kind::EditCombo, "TabSJur", nullptr, "Предыдущие журналы"},
    {"GrBoxJurLink", Kind::GroupBox, "TabSJur", "Получить журнал", nullptr},
    {"SBtnJurLink", Kind::PictureButton, "GrBoxJurLink", nullptr, "Получить журал с контроллера"},
    {"ChcBoxJurHeadOnly", Kind::CheckBox, "GrBoxJurLink", "Только заголовок", nullptr},
    {"StTLJurIFile", Kind::TextField, "GrBoxJurLink", "", nullptr, true, kSunkenBorder},
    {"StTLJurISize", Kind::TextField, "GrBoxJurLink", " ", nullptr, true, kSunkenBorder},

    {"GrBoxGet", Kind::GroupBox, "TabSGet", "", nullptr},
    {"SBtnGet", Kind::Button, "GrBoxGet", "Старт", nullptr},

    {"GrBoxGDTTM", Kind::GroupBox, "TabSDTTM", "Дата и время контроллера", nullptr},
    {"BtnGDTTM", Kind::Button, "GrBoxGDTTM", "Читать",
     "Одноразовое чтение системных даты и времени контроллера"},
    {"StTxtGDTTM", Kind::TextField, "GrBoxGDTTM", "", nullptr, true,
     kSunkenBorder | kCentredText | kLight},
    {"GrBoxSDTTM", Kind::GroupBox, "TabSDTTM", "Установка даты и времени, поиск записей", nullptr},
    {"Label1", Kind::Label, "GrBoxSDTTM", "Число", nullptr},
    {"Label2", Kind::Label, "GrBoxSDTTM", "Месяц", nullptr},
    {"Label3", Kind::Label, "GrBoxSDTTM", "Год", nullptr},
    {"Label4", Kind::Label, "GrBoxSDTTM", "Часы", nullptr},
    {"Label5", Kind::Label, "GrBoxSDTTM", "Мин", nullptr},
    {"Label6", Kind::Label, "GrBoxSDTTM", "Сек", nullptr},
    {"Label7", Kind::Label, "GrBoxSDTTM", "мс", nullptr},
    {"EdDDD", Kind::Edit, "GrBoxSDTTM", "14", nullptr},
    {"EdDMM", Kind::Edit, "GrBoxSDTTM", "5", nullptr},
    {"EdDYY", Kind::Edit, "GrBoxSDTTM", "2008", nullptr},
    {"EdTHH", Kind::Edit, "GrBoxSDTTM", "9", nullptr},
    {"EdTMM", Kind::Edit, "GrBoxSDTTM", "30", nullptr},
    {"EdTSS", Kind::Edit, "GrBoxSDTTM", "0", nullptr},
    {"EdTMS", Kind::Edit, "GrBoxSDTTM", "000", "Миллисекунды, только для поиска записей"},
    {"BtnSDTTM", Kind::Button, "GrBoxSDTTM", "Установить", "Установить датц и время контроллера"},
    {"BtnTime", Kind::Button, "GrBoxSDTTM", "00:00:00", "Установить текущую дату и время"},
    {"BtnSetField", Kind::Button, "GrBoxSDTTM", "Заполнить поля",
     "Заполнить поля текущими значениями даты и времени"},
    {"BtnFind", Kind::Button, "GrBoxSDTTM", "Поиск записи",
     "Поиск записи в журнале (по заполненным полям даты и времени)"},
    {"BtnMaxYear", Kind::Button, "GrBoxSDTTM", "Max", "Max. год для поиска ПОСЛЕДНЕЙ записи."},
    {"StTxtIDRec", Kind::TextField, "GrBoxSDTTM", nullptr, nullptr, true,
     kSunkenBorder | kCentredText | kLight},
    {"StTxtRFind", Kind::TextField, "GrBoxSDTTM", nullptr, nullptr, true,
     kSunkenBorder | kCentredText | kLight},
    {"LblInfoData", Kind::Label, "GrBoxSDTTM", "", nullptr},

    {"GrBoxKIInfo", Kind::GroupBox, "PgInfo", "", nullptr},
    {"BtnU", Kind::Button, "GrBoxKIInfo", "Питание", nullptr},
    {"StTxtU", Kind::TextField, "GrBoxKIInfo", nullptr, nullptr, true,
     kSunkenBorder | kCentredText},
    {"ImgLamp", Kind::Picture, "GrBoxKIInfo", nullptr, nullptr},
    {"BtnI1", Kind::Button, "GrBoxKIInfo", "Читать", nullptr},
    {"StTxtVersion", Kind::TextField, "GrBoxKIInfo", nullptr, "Версия контроллера", true,
     kSunkenBorder | kCentredText},
    {"StTxtVerLink", Kind::TextField, "GrBoxKIInfo", nullptr,
     "Версия обработчика запромов по связи.", true, kSunkenBorder | kCentredText},
    {"MemoInfo", Kind::Memo, "GrBoxKIInfo", nullptr, nullptr},

    {"PnlLGetJur", Kind::Panel, "FrmMain", nullptr, nullptr},
    {"StTLJurTm", Kind::TextField, "PnlLGetJur", " 00:00:00 ", "Время получения журнала", false,
     kSunkenBorder | kCentredText},
    {"StTLJurInfo", Kind::TextField, "PnlLGetJur", nullptr, nullptr, true, kSunkenBorder},
    {"ProgressBJurLnk", Kind::ProgressBar, "PnlLGetJur", nullptr, nullptr},
};

bool inside(const QWidget *widget, const char *container)
{
    for (const QWidget *w = widget->parentWidget(); w; w = w->parentWidget())
        if (w->objectName() == QLatin1String(container))
            return true;
    return false;
}

// The text a control shows, for the kinds that show one.
QString shownText(QWidget *w)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    return QStringLiteral("<no text>");
}

void checkKind(const Control &c, QWidget *w)
{
    SCOPED_TRACE(c.name);
    switch (c.kind) {
    case Kind::Band:
        EXPECT_NE(qobject_cast<QToolBar *>(w), nullptr);
        break;
    case Kind::Panel:
    case Kind::Picture:
        break;
    case Kind::TextField:
    case Kind::Label:
        ASSERT_NE(qobject_cast<QLabel *>(w), nullptr);
        break;
    case Kind::Edit: {
        auto *edit = qobject_cast<QLineEdit *>(w);
        ASSERT_NE(edit, nullptr);
        EXPECT_FALSE(edit->isReadOnly());
        break;
    }
    case Kind::DropDown:
    case Kind::EditCombo: {
        auto *combo = qobject_cast<QComboBox *>(w);
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->isEditable(), c.kind == Kind::EditCombo);
        break;
    }
    case Kind::PictureButton: {
        auto *button = qobject_cast<QAbstractButton *>(w);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->icon().isNull());
        if (auto *tool = qobject_cast<QToolButton *>(w)) {
            EXPECT_EQ(tool->toolButtonStyle(), Qt::ToolButtonIconOnly);
        }
        break;
    }
    case Kind::Button:
        ASSERT_NE(qobject_cast<QAbstractButton *>(w), nullptr);
        break;
    case Kind::CheckBox: {
        auto *check = qobject_cast<QCheckBox *>(w);
        ASSERT_NE(check, nullptr);
        EXPECT_FALSE(check->isChecked());
        break;
    }
    case Kind::GroupBox:
        ASSERT_NE(qobject_cast<QGroupBox *>(w), nullptr);
        break;
    case Kind::ProgressBar: {
        auto *bar = qobject_cast<QProgressBar *>(w);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 1000);
        break;
    }
    case Kind::Memo: {
        const bool textArea =
            qobject_cast<QPlainTextEdit *>(w) != nullptr || qobject_cast<QTextEdit *>(w) != nullptr;
        ASSERT_TRUE(textArea);
        EXPECT_TRUE(w->property("readOnly").toBool());
        EXPECT_EQ(w->property("lineWrapMode").toInt(), 0); // no word wrap
        EXPECT_NE(w->property("verticalScrollBarPolicy").value<Qt::ScrollBarPolicy>(),
                  Qt::ScrollBarAlwaysOff);
        const QFont font = w->font();
        EXPECT_TRUE(QFontInfo(font).fixedPitch() || font.styleHint() == QFont::Monospace ||
                    font.styleHint() == QFont::TypeWriter);
        break;
    }
    }
}

void checkLook(const Control &c, QWidget *w)
{
    SCOPED_TRACE(c.name);
    auto *label = qobject_cast<QLabel *>(w);
    if (c.look == kAny || !label)
        return;
    if (c.look & kSunkenBorder) {
        EXPECT_EQ(label->frameShadow(), QFrame::Sunken);
    }
    if (c.look & kCentredText) {
        EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
    }
    if (c.look & kLight) {
        EXPECT_TRUE(label->autoFillBackground());
    }
}

class Layout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rig.fake.baud = 115200;
        rig.open();
        ASSERT_TRUE(rig.window->started());
    }
    WindowRig rig;
};

TEST_F(Layout, TheMainWindowIsFrmMainWithItsCaptionAndIcon)
{
    EXPECT_EQ(rig.window->objectName(), "FrmMain");
    EXPECT_EQ(rig.window->windowTitle(), "Vestan: Доступ к данным контроллера \"TARVEL\"");
    EXPECT_FALSE(rig.window->windowIcon().isNull());
    EXPECT_FALSE(rig.window->windowIcon().pixmap(32, 32).isNull());
}

TEST_F(Layout, TheFourPagesInOrder)
{
    auto *pages = rig.find<QTabWidget>("PgCtrl");
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 4);
    const char *names[] = {"TabSJur", "TabSGet", "TabSDTTM", "PgInfo"};
    const char *captions[] = {"Работа с журналом", "Выгрузка ПО", "Дата и Время", "Информация"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), QString::fromLatin1(names[i]));
        EXPECT_EQ(pages->tabText(i), QString::fromUtf8(captions[i]));
    }
}

TEST_F(Layout, EveryNamedControlWithItsKindPlaceTextAndHint)
{
    for (const Control &c : kControls) {
        SCOPED_TRACE(c.name);
        QWidget *w = rig.find(c.name);
        ASSERT_NE(w, nullptr) << "missing control";
        if (QLatin1String(c.inside) != QLatin1String("FrmMain")) {
            EXPECT_TRUE(inside(w, c.inside)) << "not inside " << c.inside;
        }
        checkKind(c, w);
        checkLook(c, w);
        if (c.text) {
            EXPECT_EQ(shownText(w), QString::fromUtf8(c.text));
        }
        if (c.hint) {
            EXPECT_EQ(w->property("hint").toString(), QString::fromUtf8(c.hint));
            EXPECT_EQ(w->toolTip(), c.hintShown ? QString::fromUtf8(c.hint) : QString());
        }
    }
}

TEST_F(Layout, PortionSizesRightAlignedByLeadingBlanks)
{
    auto *size = rig.find<QComboBox>("CBoxSize");
    ASSERT_NE(size, nullptr);
    const QStringList expected{"    16", "    32", "    64", "  128",
                               "  256",  "  512",  "1000",   "1024"};
    QStringList items;
    for (int i = 0; i < size->count(); ++i)
        items << size->itemText(i);
    EXPECT_EQ(items, expected);
    EXPECT_EQ(size->currentIndex(), 7);
}

TEST_F(Layout, StateOfTheLinkControlsOnAClosedIdleLink)
{
    EXPECT_TRUE(rig.find("SBtnComOpenClose")->isEnabled());
    EXPECT_TRUE(rig.find("SBtnComSelect")->isEnabled());
    EXPECT_TRUE(rig.find("SBtnComSetup")->isEnabled());
    EXPECT_FALSE(rig.find("SBtnComStop")->isEnabled());
    EXPECT_TRUE(rig.find("SBtnComStop")->isHidden());
    EXPECT_TRUE(rig.find("SBtnJurLink")->isEnabled());
}

TEST_F(Layout, FixedSizesOfTheLayout)
{
    rig.window->show();
    EXPECT_EQ(rig.find("EdIDNet")->width(), 40);
    EXPECT_EQ(rig.find("EdPhone")->width(), 143);
    EXPECT_EQ(rig.find("SBtnComOpenClose")->width(), 64);
    EXPECT_EQ(rig.find("BtnI1")->size(), QSize(84, 49));
    EXPECT_EQ(rig.find("ImgLamp")->size(), QSize(32, 32));
}

TEST_F(Layout, EnlargingTheWindowStretchesThePagesAndThePanel)
{
    rig.window->show();
    rig.find("PnlLGetJur")->show();
    QWidget *pages = rig.find("PgCtrl");
    QWidget *panel = rig.find("PnlLGetJur");
    QWidget *info = rig.find("GrBoxKIInfo");
    QWidget *jurFile = rig.find("CBoxJurFile");
    ASSERT_TRUE(pages && panel && info && jurFile);
    const QSize pagesBefore = pages->size();
    const int panelBefore = panel->width();
    const int fileBefore = jurFile->width();
    rig.find<QTabWidget>("PgCtrl")->setCurrentIndex(3);
    const QSize infoBefore = info->size();

    rig.window->resize(rig.window->size() + QSize(200, 100));
    QApplication::processEvents();
    EXPECT_EQ(pages->width(), pagesBefore.width() + 200);
    EXPECT_EQ(pages->height(), pagesBefore.height() + 100);
    EXPECT_EQ(panel->width(), panelBefore + 200);
    EXPECT_EQ(info->size(), infoBefore + QSize(200, 100));
    rig.find<QTabWidget>("PgCtrl")->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_GT(jurFile->width(), fileBefore);
}

} // namespace
} // namespace vestan::test
