#pragma once

#include "app/settings.h"
#include "session/linksession.h"

#include <QMainWindow>
#include <cstdint>
#include <functional>

class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

namespace vestan {

struct ProgramState;
class ClockPage;
class InfoPage;
class JournalHeaderWindow;
class JournalPage;
class LinkToolBar;
class ProgressPanel;
class UploadPage;

// Loads the link library and binds its entry points into state.api; 0 or a
// code the user has already been told about.
using LinkBinder = std::function<int32_t(ProgramState &)>;

// The main window FrmMain: the tool bar with the link band and the program
// band, the four tab pages, the progress panel and the clock timer. It runs
// FormCreate when it is built and FormDestroy when it is destroyed. It is
// the session's link status display: the tool bar and the journal page's
// status line.
class MainWindow : public QMainWindow, private LinkStatusDisplay
{
    Q_OBJECT

public:
    // binder defaults to the real library search; tests hand in their own table.
    explicit MainWindow(ProgramState &state, QWidget *parent = nullptr, LinkBinder binder = {});
    ~MainWindow() override;

    // Start-up: fits the window, reads the settings, binds the link library.
    void FormCreate();
    // Ending: closes the link, writes the settings, drops the temporary file
    // and closes the window.
    void FormDestroy();

    // False when start-up ended the program: the window must not be shown.
    bool started() const;

    // FrmJHInfo, created after the main window, for the journal page to show.
    void setJournalHeaderWindow(JournalHeaderWindow *window);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void RefreshLinkStatus() override;
    bool showsRunning() const override;
    void buildToolBar();
    void buildPages();
    void bindEvents();
    void fitToContents();
    void exitClicked();

    ProgramState &state_;
    LinkBinder binder_;

    LinkToolBar *linkToolBar_;
    Settings settings_;
    QToolBar *pnlInfo_ = nullptr;
    QToolButton *sbtnAbout_ = nullptr;
    QToolButton *sbtnExit_ = nullptr;
    QTabWidget *pgCtrl_ = nullptr;
    ProgressPanel *progressPanel_ = nullptr;
    JournalPage *journalPage_ = nullptr;
    UploadPage *uploadPage_ = nullptr;
    ClockPage *clockPage_ = nullptr;
    InfoPage *infoPage_ = nullptr;
    QTimer *timer1_ = nullptr;

    // Set once an ending has closed the window: the exit button then has
    // nothing more to do until the window is destroyed.
    bool endingClosed_ = false;
    // Set while the destructor runs the ending: the window is going away
    // anyway and is not closed again.
    bool destroying_ = false;
};

} // namespace vestan
