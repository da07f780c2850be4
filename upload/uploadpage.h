#pragma once

#include "journal/progresspanel.h"

#include <QWidget>

class QGroupBox;
class QToolButton;

namespace vestan {

struct ProgramState;

// TabSGet, "Выгрузка ПО": the start button of the software image upload.
class UploadPage : public QWidget
{
    Q_OBJECT

public:
    UploadPage(ProgramState &state, ProgressPanel &progress, QWidget *parent = nullptr);

    void SBtnGetClick();

    QGroupBox *GrBoxGet = nullptr;
    QToolButton *SBtnGet = nullptr;

private:
    ProgramState &state_;
    ProgressPanel &progress_;
};

} // namespace vestan
