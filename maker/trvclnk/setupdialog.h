#pragma once

#include "maker/trvclnk/portsettings.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace vestan::trvclnk {

// Mode 0 of _trvCL_fDlgSetup: the line parameters of one port.
class SetupDialog : public QDialog
{
    Q_OBJECT
public:
    SetupDialog(int port, const PortSettings &settings, QWidget *parent = nullptr);

    // The values the fields hold now; fields that cannot be read keep the
    // values the dialog was opened with.
    PortSettings settings() const;

private:
    PortSettings initial_;
    QComboBox *baud_;
    QComboBox *dataBits_;
    QComboBox *parity_;
    QComboBox *stopBits_;
    QSpinBox *replyTimeout_;
    QLineEdit *modemInit_;
    QRadioButton *tone_;
    QRadioButton *pulse_;
};

} // namespace vestan::trvclnk
