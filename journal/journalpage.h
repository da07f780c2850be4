#pragma once

#include "journal/progresspanel.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QToolButton;

namespace vestan {

class JournalHeaderWindow;
class RecentFiles;
struct Session;

// TabSJur, "Работа с журналом": choosing and checking a stored journal, the
// recent-files list, and the journal download with its status line.
class JournalPage : public QWidget
{
    Q_OBJECT

public:
    JournalPage(Session &state, RecentFiles &recent, ProgressPanel &progress,
                QWidget *parent = nullptr);
    // Its part of RefreshLinkStatus: the last stored journal's name and sizes, and the
    // journal controls enabled only while no operation runs.
    void showLinkStatus();
    // The journal-header window that a chosen journal is offered to.
    void setHeaderWindow(JournalHeaderWindow *window) { headerWindow_ = window; }

    void SBtnJurLoadClick();
    void SBtnJurLinkClick();

    QToolButton *SBtnJurLoad = nullptr;
    QComboBox *CBoxJurFile = nullptr;
    QGroupBox *GrBoxJurLink = nullptr;
    QToolButton *SBtnJurLink = nullptr;
    QCheckBox *ChcBoxJurHeadOnly = nullptr;
    QLabel *StTLJurIFile = nullptr;
    QLabel *StTLJurISize = nullptr;

private:
    Session &state_;
    RecentFiles &recent_;
    ProgressPanel &progress_;
    JournalHeaderWindow *headerWindow_ = nullptr;
};

} // namespace vestan
