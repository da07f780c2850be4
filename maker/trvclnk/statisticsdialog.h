#pragma once

#include "maker/trvclnk/linkstatistics.h"

#include <QDialog>

namespace vestan::trvclnk {

// Mode 2 of _trvCL_fDlgSetup: what a port did since the library was loaded.
class StatisticsDialog : public QDialog
{
    Q_OBJECT
public:
    StatisticsDialog(int port, const LinkStatistics &stats, bool open, QWidget *parent = nullptr);
};

} // namespace vestan::trvclnk
