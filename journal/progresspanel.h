#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;

namespace vestan {

// PnlLGetJur: the running time, the progress text and the progress bar of a
// transfer. The main window docks it at the bottom and keeps it hidden while
// no transfer runs.
class ProgressPanel : public QFrame
{
    Q_OBJECT

public:
    explicit ProgressPanel(QWidget *parent = nullptr);

    QLabel *StTLJurTm = nullptr;
    QLabel *StTLJurInfo = nullptr;
    QProgressBar *ProgressBJurLnk = nullptr;

    // Position 0, maximum `portions`, at least 1.
    void setPortions(int portions);
    // One step on; the bar stays full once it has reached its maximum.
    void stepIt();
};

} // namespace vestan
