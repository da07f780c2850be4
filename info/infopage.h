#pragma once

#include <QWidget>

namespace vestan {

struct ProgramState;

// Scaffold: the owner of this folder replaces it with the real page.
class InfoPage : public QWidget
{
    Q_OBJECT

public:
    InfoPage(ProgramState &state, QWidget *parent = nullptr);

private:
    ProgramState &state_;
};

} // namespace vestan
