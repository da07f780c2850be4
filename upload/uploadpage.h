#pragma once

#include "journal/progresspanel.h"
#include <QWidget>

namespace vestan {

struct ProgramState;

// Scaffold: the owner of this folder replaces it with the real page.
class UploadPage : public QWidget
{
    Q_OBJECT

public:
    UploadPage(ProgramState &state, ProgressPanel &progress, QWidget *parent = nullptr);

private:
    ProgramState &state_;
};

} // namespace vestan
