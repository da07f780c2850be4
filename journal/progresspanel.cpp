#include "journal/progresspanel.h"

namespace vestan {

ProgressPanel::ProgressPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PnlLGetJur"));
}

} // namespace vestan
