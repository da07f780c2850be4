#include "clock/clockpage.h"

#include "app/programstate.h"

namespace vestan {

ClockPage::ClockPage(ProgramState &state, QWidget *parent) : QWidget(parent), state_(state)
{
    setObjectName(QStringLiteral("TabSDTTM"));
}

void ClockPage::FillDateTimeFields() {}

void ClockPage::Timer1Timer() {}

} // namespace vestan
