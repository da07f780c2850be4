#include "app/mainwindow.h"

#include "app/aboutbox.h"
#include "app/programstate.h"
#include "clock/clockpage.h"
#include "info/infopage.h"
#include "journal/journalpage.h"
#include "journal/progresspanel.h"
#include "link/linktoolbar.h"
#include "platform/guarded.h"
#include "platform/widgets.h"
#include "session/linkloader.h"
#include "upload/uploadpage.h"

#include <QCloseEvent>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

// Resources of a static library must be registered from the global namespace.
static void initAppResources()
{
    Q_INIT_RESOURCE(app);
}

namespace vestan {
namespace {

// The page control as designed: the fitted window never cuts it smaller.
constexpr QSize kPageControlDesignSize(660, 219);
constexpr int kOuterMargin = 4;
constexpr int kTimer1Interval = 500;

} // namespace

MainWindow::MainWindow(ProgramState &state, QWidget *parent, LinkBinder binder)
    : QMainWindow(parent), state_(state),
      binder_(binder ? std::move(binder) : LinkBinder(LoadLinkLibrary)),
      linkToolBar_(new LinkToolBar(state, this)), settings_(state)
{
    initAppResources();
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle("Vestan: Доступ к данным контроллера \"TARVEL\"");
    setWindowIcon(QIcon(QStringLiteral(":/app/icons/vestan.svg")));

    buildToolBar();
    buildPages();
    bindEvents();

    timer1_->start();
    guarded(state_.host, [this] { FormCreate(); })();
}

MainWindow::~MainWindow()
{
    destroying_ = true;
    guarded(state_.host, [this] { FormDestroy(); })();
    // The state outlives the window; nothing may reach its controls any more.
    state_.linkStatus = nullptr;
    state_.recentFiles.attach(nullptr);
}

void MainWindow::buildToolBar()
{
    // ControlBar1 is the top tool bar area: two bands the user can drag.
    linkToolBar_->setMovable(true);
    addToolBar(Qt::TopToolBarArea, linkToolBar_);

    pnlInfo_ = new QToolBar(this);
    pnlInfo_->setObjectName(QStringLiteral("PnlInfo"));
    pnlInfo_->setMovable(true);
    sbtnAbout_ =
        makePictureButton(pnlInfo_, "SBtnAbout", QIcon(QStringLiteral(":/app/icons/about.svg")),
                          "Сведения о программе");
    sbtnExit_ =
        makePictureButton(pnlInfo_, "SBtnExit", QIcon(QStringLiteral(":/app/icons/exit.svg")),
                          "Выход/завершение работы", false);
    pnlInfo_->addWidget(sbtnAbout_);
    pnlInfo_->addWidget(sbtnExit_);
    addToolBar(Qt::TopToolBarArea, pnlInfo_);
}

void MainWindow::buildPages()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(kOuterMargin, kOuterMargin / 2, kOuterMargin, kOuterMargin);
    layout->setSpacing(1);

    // The pages that run transfers share the progress panel, so it comes first.
    progressPanel_ = new ProgressPanel(central);

    pgCtrl_ = new QTabWidget(central);
    pgCtrl_->setObjectName(QStringLiteral("PgCtrl"));
    pgCtrl_->setMinimumSize(kPageControlDesignSize);
    journalPage_ = new JournalPage(state_, state_.recentFiles, *progressPanel_, pgCtrl_);
    uploadPage_ = new UploadPage(state_, state_.recentFiles, *progressPanel_, pgCtrl_);
    clockPage_ = new ClockPage(state_, pgCtrl_);
    infoPage_ = new InfoPage(state_, pgCtrl_);
    pgCtrl_->addTab(journalPage_, "Работа с журналом");
    pgCtrl_->addTab(uploadPage_, "Выгрузка ПО");
    pgCtrl_->addTab(clockPage_, "Дата и Время");
    pgCtrl_->addTab(infoPage_, "Информация");

    // The page control takes all the room; the panel stays at the bottom
    // across the full width.
    layout->addWidget(pgCtrl_, 1);
    layout->addWidget(progressPanel_, 0);
    setCentralWidget(central);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTimer1Interval);

    state_.linkStatus = this;
}

void MainWindow::RefreshLinkStatus()
{
    linkToolBar_->RefreshLinkStatus();
    journalPage_->showLinkStatus();
}

bool MainWindow::showsRunning() const
{
    return linkToolBar_->showsRunning();
}

void MainWindow::bindEvents()
{
    Host &host = state_.host;
    connect(sbtnExit_, &QToolButton::clicked, this, [this] { exitClicked(); });
    sbtnExit_->installEventFilter(this);
    connect(sbtnAbout_, &QToolButton::clicked, this,
            guardedSlot(host, [this] { SBtnAboutClick(state_); }));
    connect(timer1_, &QTimer::timeout, this,
            guardedSlot(host, [this] { clockPage_->Timer1Timer(); }));
}

bool MainWindow::started() const
{
    return state_.libraryBound != 0;
}

void MainWindow::setJournalHeaderWindow(JournalHeaderWindow *window)
{
    journalPage_->setHeaderWindow(window);
}

void MainWindow::fitToContents()
{
    ensurePolished();
    if (QLayout *own = layout())
        own->activate();
    QSize fit = sizeHint().expandedTo(minimumSizeHint());
    // A fit larger than the screen would fix a minimum the user could never see.
    if (const QScreen *where = screen())
        fit = fit.boundedTo(where->availableSize());
    resize(fit);
}

void MainWindow::FormCreate()
{
    progressPanel_->show();
    fitToContents();

    pgCtrl_->setCurrentWidget(journalPage_);

    LinkChannel &channel = state_.channel;
    channel.portIndex = 1;
    state_.session.rememberedPort = 1;
    channel.netNumber = 33;
    channel.isOpen = 0;
    state_.session.phoneNumber.clear();
    channel.running = 0;

    if (auto *infoData = clockPage_->findChild<QLabel *>(QStringLiteral("LblInfoData")))
        infoData->clear();

    settings_.LoadSettings();
    state_.session.rememberedPort = channel.portIndex;
    linkToolBar_->showSessionValues();

    setMinimumSize(size());
    // Stretching is the layouts' job; from here on the window keeps the size
    // the user gives it.
    progressPanel_->hide();

    clockPage_->FillDateTimeFields();

    if (StartLinkLibrary(state_, [this](Session &) { return binder_(state_); }) != 0) {
        // The loader has told the user; the program ends unseen.
        close();
        return;
    }
    RefreshLinkStatus();
}

void MainWindow::FormDestroy()
{
    // An operation still exchanging would go on against a closed port: let it wind down,
    // silently, since the window is going.
    state_.channel.running = 0;
    state_.requests.setWindowClosing(true);
    // An ending that fails leaves the window up and its operations speaking again.
    auto ended = qScopeGuard([this] { state_.requests.setWindowClosing(false); });
    if (state_.libraryBound != 0) {
        state_.api._trvCL_fSetEvent(state_.channel.portIndex, 1);
        state_.api._trvCL_fClose(state_.channel.portIndex);
    }
    // A number typed but never left is what the field shows: that is what is saved.
    linkToolBar_->NormalizePhone();
    settings_.SaveSettings();
    state_.tempFile.DeleteTempFile();
    ended.dismiss();
    if (!destroying_) {
        endingClosed_ = true;
        close();
    }
}

void MainWindow::exitClicked()
{
    // Once an ending has closed the window only its destruction is left.
    if (endingClosed_)
        return;
    guarded(state_.host, [this] { FormDestroy(); })();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing stops a running operation as the stop button would, but without its box.
    state_.channel.running = 0;
    state_.requests.setWindowClosing(true);
    event->accept();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == sbtnExit_ && event->type() == QEvent::MouseButtonDblClick) {
        exitClicked();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace vestan
