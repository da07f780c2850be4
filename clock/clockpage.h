#pragma once

#include <QWidget>

namespace vestan {

struct ProgramState;

// Scaffold: the owner of this folder replaces it with the real page.
class ClockPage : public QWidget
{
    Q_OBJECT

public:
    ClockPage(ProgramState &state, QWidget *parent = nullptr);
    void FillDateTimeFields();
    void Timer1Timer();

private:
    ProgramState &state_;
};

} // namespace vestan
