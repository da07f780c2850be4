#pragma once

#include "journal/progresspanel.h"

#include <QWidget>

class QGroupBox;
class QToolButton;

namespace vestan {

class RecentFiles;
struct Session;

// TabSGet, "Выгрузка ПО": the start button of the software image upload.
class UploadPage : public QWidget
{
    Q_OBJECT

public:
    UploadPage(Session &state, RecentFiles &recent, ProgressPanel &progress,
               QWidget *parent = nullptr);

    void SBtnGetClick();

    QGroupBox *GrBoxGet = nullptr;
    QToolButton *SBtnGet = nullptr;

private:
    Session &state_;
    RecentFiles &recent_;
    ProgressPanel &progress_;
};

} // namespace vestan
