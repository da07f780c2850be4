#pragma once

#include "info/inforeadout.h"
#include "info/lamplist.h"
#include "info/powerreadout.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vestan {

struct Session;

// The page PgInfo "Информация": the power readings, the request-handler and
// controller versions, and the journal header summary with its lamp.
class InfoPage : public QWidget
{
    Q_OBJECT

public:
    InfoPage(Session &state, QWidget *parent = nullptr);

    void BtnI1Click() { readout_.BtnI1Click(); }
    void BtnUClick() { power_.BtnUClick(); }

private:
    InfoReadoutControls buildControls();

    Session &state_;
    LampList lamps_;
    QGroupBox *group_ = nullptr;
    QPushButton *btnU_ = nullptr;
    QLabel *stTxtU_ = nullptr;
    InfoReadoutControls controls_;
    InfoReadout readout_;
    PowerReadout power_;
};

} // namespace vestan
