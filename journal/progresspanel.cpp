#include "journal/progresspanel.h"

#include "platform/widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace vestan {

ProgressPanel::ProgressPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PnlLGetJur"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    StTLJurTm = makeTextField(this, "StTLJurTm", QStringLiteral(" 00:00:00 "), kSunken | kCentred);
    setHint(StTLJurTm, QStringLiteral("Время получения журнала"), false);
    StTLJurInfo = makeTextField(this, "StTLJurInfo", QString(), kSunken);
    ProgressBJurLnk = new QProgressBar(this);
    ProgressBJurLnk->setObjectName(QStringLiteral("ProgressBJurLnk"));
    ProgressBJurLnk->setRange(0, 1000);
    ProgressBJurLnk->setValue(0);
    ProgressBJurLnk->setTextVisible(false);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(StTLJurTm, 0, 0);
    layout->addWidget(StTLJurInfo, 0, 1);
    layout->addWidget(ProgressBJurLnk, 1, 0, 1, 2);
    layout->setColumnStretch(1, 1);
}

void ProgressPanel::setPortions(int portions)
{
    ProgressBJurLnk->setRange(0, std::max(portions, 1));
    ProgressBJurLnk->setValue(0);
}

void ProgressPanel::stepIt()
{
    const int next = ProgressBJurLnk->value() + 1;
    ProgressBJurLnk->setValue(std::min(next, ProgressBJurLnk->maximum()));
}

} // namespace vestan
