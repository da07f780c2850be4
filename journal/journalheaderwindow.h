#pragma once

#include <QWidget>
#include <cstdint>

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vestan {

// FrmJHInfo: the journal-header window, created hidden at start-up. It shows
// the file name of a decoded journal header record (the record layout of the
// journal-check library).
class JournalHeaderWindow : public QWidget
{
    Q_OBJECT

public:
    explicit JournalHeaderWindow(QWidget *parent = nullptr);

    // Without a record, or with one whose valid flag is 0, shows nothing and
    // returns false. Mode 0 shows the window without waiting for it.
    bool ShowJournalHeaderInfo(const uint8_t *record, int mode, const QString &title);

    QLineEdit *EdJName = nullptr;
    QTabWidget *PgCtrJHInfo = nullptr;
    QWidget *TbSIBase = nullptr;
    QPushButton *BtnLoad = nullptr;
    QPushButton *BtnJHIExit = nullptr;
};

} // namespace vestan
