#include "link/linktoolbar.h"

#include "app/programstate.h"

namespace vestan {

LinkToolBar::LinkToolBar(ProgramState &state, QWidget *parent) : QToolBar(parent), state_(state)
{
    setObjectName(QStringLiteral("PnlCom"));
}

void LinkToolBar::RefreshLinkStatus() {}

} // namespace vestan
