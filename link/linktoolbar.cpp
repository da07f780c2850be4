#include "link/linktoolbar.h"

#include "platform/codepage.h"
#include "platform/guarded.h"
#include "platform/numbers.h"
#include "platform/widgets.h"
#include "session/linkopen.h"
#include "session/session.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

// Resources of a static library are registered by name at global scope.
static void initLinkResources()
{
    Q_INIT_RESOURCE(link);
}

namespace vestan {
namespace {

constexpr int kNetNumberMin = 1;
constexpr int kNetNumberMax = 250;
const QColor kOpenBackground(0, 128, 0);

// Entering and leaving a field by the user, not a popup menu or another window taking
// the keyboard for a moment.
bool isFieldFocusChange(const QEvent *event)
{
    const auto reason = static_cast<const QFocusEvent *>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

} // namespace

LinkToolBar::LinkToolBar(Session &state, QWidget *parent) : QToolBar(parent), state_(state)
{
    initLinkResources();
    setObjectName(QStringLiteral("PnlCom"));
    setHint(this, QStringLiteral("Работа с устройством связи"), false);
    setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    buildControls();
    bindEvents();
}

void LinkToolBar::buildControls()
{
    // One band: the controls sit in a row on a panel of their own, so that hiding the
    // stop button is an ordinary hide.
    auto *band = new QWidget(this);
    band->setObjectName(QStringLiteral("PnlComControls"));
    auto *row = new QHBoxLayout(band);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(2);

    idNetLabel_ = makeTextField(band, "StTIDNet", QStringLiteral(" № "), kPlain,
                                QStringLiteral("Сетевой номер контроллера"));

    idNet_ = new QLineEdit(QStringLiteral("33"), band);
    idNet_->setObjectName(QStringLiteral("EdIDNet"));
    idNet_->setFixedWidth(40);
    setHint(idNet_, QStringLiteral("Сетевой номер 1 .. 250"));

    size_ = new QComboBox(band);
    size_->setObjectName(QStringLiteral("CBoxSize"));
    size_->setEditable(false);
    size_->addItems({QStringLiteral("    16"), QStringLiteral("    32"), QStringLiteral("    64"),
                     QStringLiteral("  128"), QStringLiteral("  256"), QStringLiteral("  512"),
                     QStringLiteral("1000"), QStringLiteral("1024")});
    size_->setCurrentIndex(-1);
    setHint(size_, QStringLiteral("Max. размер поции для чтения с контроллера"));

    phone_ = new QLineEdit(band);
    phone_->setObjectName(QStringLiteral("EdPhone"));
    phone_->setFixedWidth(143);
    setHint(phone_, QStringLiteral("Телефрнный номер."));

    comName_ = makeTextField(band, "StTComName", QStringLiteral("COM2  [5555555]"),
                             kSunken | kCentred, QStringLiteral("Устройство связи"));
    comName_->setAutoFillBackground(true);
    comName_->setMinimumWidth(comName_->fontMetrics().horizontalAdvance(comName_->text()) + 12);

    select_ = makePictureButton(band, "SBtnComSelect",
                                QIcon(QStringLiteral(":/link/icons/comselect.svg")),
                                QStringLiteral("Выбрать и открыть  устройства связи"));
    openClose_ = makeTextButton(band, "SBtnComOpenClose", QStringLiteral("Открыть"),
                                QStringLiteral("Открыть/Закрыть устройство связи"));
    openClose_->setFixedWidth(64);
    comState_ =
        makePictureButton(band, "SBtnComState", QIcon(QStringLiteral(":/link/icons/comstate.svg")),
                          QStringLiteral("Статистика сенса связи"));
    setup_ =
        makePictureButton(band, "SBtnComSetup", QIcon(QStringLiteral(":/link/icons/comsetup.svg")),
                          QStringLiteral("Настройка параметров связи"));
    stop_ =
        makePictureButton(band, "SBtnComStop", QIcon(QStringLiteral(":/link/icons/comstop.svg")),
                          QStringLiteral("Завершить сеанс связи (прием/передачу)"));

    for (QWidget *w :
         std::initializer_list<QWidget *>{idNetLabel_, idNet_, size_, phone_, comName_, select_,
                                          openClose_, comState_, setup_, stop_})
        row->addWidget(w);
    addWidget(band);
}

void LinkToolBar::bindEvents()
{
    const auto bind = [this](auto handler) { return guardedSlot(state_.host, handler); };
    connect(select_, &QToolButton::clicked, this, bind([this] { SBtnComSelectClick(); }));
    connect(openClose_, &QToolButton::clicked, this, bind([this] { SBtnComOpenCloseClick(); }));
    connect(comState_, &QToolButton::clicked, this, bind([this] { SBtnComStateClick(); }));
    connect(setup_, &QToolButton::clicked, this, bind([this] { SBtnComSetupClick(); }));
    connect(stop_, &QToolButton::clicked, this, bind([this] { SBtnComStopClick(); }));
    connect(idNet_, &QLineEdit::textChanged, this, bind([this] { EdIDNetEnter(); }));
    connect(size_, &QComboBox::currentIndexChanged, this, bind([this] { CBoxSizeChange(); }));
    idNet_->installEventFilter(this);
    phone_->installEventFilter(this);
}

bool LinkToolBar::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    const auto run = [this](auto handler) { guarded(state_.host, handler)(); };
    if (watched == idNet_) {
        if ((type == QEvent::FocusIn || type == QEvent::FocusOut) && isFieldFocusChange(event))
            run([this] { EdIDNetEnter(); });
    } else if (watched == phone_) {
        if (type == QEvent::FocusIn && isFieldFocusChange(event)) {
            run([this] { EdPhoneEnter(); });
        } else if (type == QEvent::FocusOut && isFieldFocusChange(event)) {
            run([this] { EdPhoneExit(); });
        } else if (type == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            run([this] { EdPhoneEnter(); });
        } else if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                run([this] { EdPhoneKeyPress(QChar(13)); });
        }
    }
    return QToolBar::eventFilter(watched, event);
}

bool LinkToolBar::hasEntryPoints() const
{
    const LinkApi &api = state_.api;
    return api._trvCL_fDlgSetup && api._trvCL_fOpen && api._trvCL_fClose && api._trvCL_fIsOpen &&
           api._trvCL_fErr2str && api._trvCL_fSetPhone && api._trvCL_fParamBaud;
}

QString LinkToolBar::portText() const
{
    return QString::asprintf("COM%u", unsigned(state_.channel.portIndex + 1));
}

void LinkToolBar::setFieldText(QLineEdit *field, const QString &text)
{
    if (field->text() == text)
        return; // keeps the cursor and the selection where the user left them
    settingText_ = true;
    field->setText(text);
    settingText_ = false;
}

void LinkToolBar::RefreshLinkStatus()
{
    const LinkChannel &channel = state_.channel;
    comName_->setText(channel.baudRate == 0
                          ? portText()
                          : QString::asprintf("COM%u  [%u]", unsigned(channel.portIndex + 1),
                                              unsigned(channel.baudRate)));
    if (channel.isOpen != 0) {
        openClose_->setText(QStringLiteral("Закрыть"));
        QPalette open = comName_->palette();
        open.setColor(QPalette::Window, kOpenBackground);
        open.setColor(QPalette::WindowText, Qt::white);
        comName_->setPalette(open);
        comName_->setBackgroundRole(QPalette::Window);
        comName_->setForegroundRole(QPalette::WindowText);
        select_->setEnabled(false);
        setup_->setEnabled(false);
    } else {
        openClose_->setEnabled(true);
        openClose_->setText(QStringLiteral("Открыть"));
        // Back to the system colours: button highlight behind window text.
        comName_->setPalette(QPalette());
        comName_->setBackgroundRole(QPalette::Light);
        comName_->setForegroundRole(QPalette::WindowText);
        select_->setEnabled(true);
        setup_->setEnabled(true);
        stop_->setEnabled(false);
        stop_->hide();
    }

    const bool idle = channel.running == 0;
    idNet_->setEnabled(idle);
    size_->setEnabled(idle);
    openClose_->setEnabled(idle);
    stop_->setEnabled(!idle);
    stop_->setVisible(!idle);
}

void LinkToolBar::refresh()
{
    if (state_.linkStatus)
        state_.linkStatus->RefreshLinkStatus();
    else
        RefreshLinkStatus();
}

bool LinkToolBar::showsRunning() const
{
    // Enabled only by a refresh that saw an operation under way.
    return stop_->isEnabled();
}

void LinkToolBar::SBtnComSelectClick()
{
    if (hasEntryPoints()) {
        const int32_t port = state_.api._trvCL_fDlgSetup(1, state_.channel.portIndex);
        // A negative result is an error, never a port: the selection stays.
        if (port < 0)
            ReportLinkError(port, portText());
        else
            state_.channel.portIndex = port;
    }
    refresh();
}

void LinkToolBar::SBtnComOpenCloseClick()
{
    if (hasEntryPoints()) {
        LinkChannel &channel = state_.channel;
        const LinkApi &api = state_.api;
        channel.isOpen = api._trvCL_fIsOpen(channel.portIndex);
        if (channel.isOpen != 0) {
            api._trvCL_fClose(channel.portIndex);
        } else {
            const int port = OpenLink(channel.portIndex);
            if (port < 0) {
                ReportLinkError(port, portText());
            } else {
                state_.session.rememberedPort = port;
                channel.portIndex = port;
                channel.isOpen = 1;
            }
        }
        ReadLinkState(state_);
    }
    refresh();
}

void LinkToolBar::SBtnComStateClick()
{
    if (hasEntryPoints()) {
        const int result = state_.api._trvCL_fDlgSetup(2, state_.channel.portIndex);
        if (result < 0)
            ReportLinkError(result, portText());
    }
    refresh();
}

void LinkToolBar::SBtnComSetupClick()
{
    if (hasEntryPoints()) {
        state_.api._trvCL_fDlgSetup(0, state_.channel.portIndex);
        state_.channel.baudRate = state_.api._trvCL_fParamBaud(state_.channel.portIndex);
    }
    refresh();
}

void LinkToolBar::SBtnComStopClick()
{
    state_.channel.running = 0;
    refresh();
}

void LinkToolBar::EdIDNetEnter()
{
    if (settingText_)
        return;
    const int32_t n = parseLenientInt(idNet_->text());
    if (n >= kNetNumberMin && n <= kNetNumberMax)
        state_.channel.netNumber = uint8_t(n);
    setFieldText(idNet_, QString::asprintf("%u", unsigned(state_.channel.netNumber)));
    refresh();
}

void LinkToolBar::CBoxSizeChange()
{
    const int item = size_->currentIndex();
    if (item >= 0 && item < int(std::size(kPortionSizes))) {
        state_.session.sizeItem = item;
        state_.session.portionSize = kPortionSizes[item];
    }
}

void LinkToolBar::EdPhoneEnter()
{
    setFieldText(phone_, state_.session.phoneNumber);
}

void LinkToolBar::EdPhoneExit()
{
    NormalizePhone();
}

void LinkToolBar::EdPhoneKeyPress(QChar key)
{
    if (key == QChar(13))
        NormalizePhone();
}

void LinkToolBar::showSessionValues()
{
    // Plain setText: a changed number goes through its handler as if typed.
    idNet_->setText(QString::asprintf("%u", unsigned(state_.channel.netNumber)));
    size_->setCurrentIndex(state_.session.sizeItem);
    phone_->setText(state_.session.phoneNumber);
}

void LinkToolBar::NormalizePhone()
{
    state_.session.phoneNumber = CleanPhoneNumber(phone_->text());
    setFieldText(phone_, state_.session.phoneNumber);
}

int LinkToolBar::OpenLink(int32_t port)
{
    // The open button never takes the focus, so the field may still hold a number typed
    // but never left: what the field shows is what is dialled.
    NormalizePhone();
    return OpenLinkPort(state_, port);
}

void LinkToolBar::ReportLinkError(int code, const std::optional<QString> &context)
{
    if (code >= 0 || !state_.api._trvCL_fErr2str)
        return;
    const char *text = state_.api._trvCL_fErr2str(code);
    if (!text || !*text)
        return;
    const QString caption = context ? QString::asprintf("%s:%s", "Vestan", qUtf8Printable(*context))
                                    : QString::asprintf("%s", "Vestan");
    state_.host.messageBox(caption, fromCp1251(text), kMbIconStop | kMbOk);
}

} // namespace vestan
