#include "upload/uploadpage.h"

#include "platform/widgets.h"
#include "session/session.h"
#include "upload/imageupload.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace vestan {

UploadPage::UploadPage(Session &state, RecentFiles &recent, ProgressPanel &progress,
                       QWidget *parent)
    : QWidget(parent), state_(state), recent_(recent), progress_(progress)
{
    setObjectName(QStringLiteral("TabSGet"));
    GrBoxGet = new QGroupBox(this);
    GrBoxGet->setObjectName(QStringLiteral("GrBoxGet"));
    SBtnGet = makeTextButton(GrBoxGet, "SBtnGet", QStringLiteral("Старт"));

    auto *row = new QHBoxLayout(GrBoxGet);
    row->addWidget(SBtnGet);
    row->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GrBoxGet);
    layout->addStretch(1);

    connect(SBtnGet, &QToolButton::clicked, this,
            guardedSlot(state_.host, [this] { SBtnGetClick(); }));
}

void UploadPage::SBtnGetClick()
{
    uploadImage(state_, recent_, progress_);
}

} // namespace vestan
