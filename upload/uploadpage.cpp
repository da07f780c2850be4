#include "upload/uploadpage.h"

#include "journal/programstate.h"
#include "platform/guarded.h"
#include "platform/widgets.h"
#include "upload/imageupload.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace vestan {

UploadPage::UploadPage(ProgramState &state, ProgressPanel &progress, QWidget *parent)
    : QWidget(parent), state_(state), progress_(progress)
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
            guarded(state_.host, [this](bool) { SBtnGetClick(); }));
}

void UploadPage::SBtnGetClick()
{
    ImageUpload(state_, progress_).run();
}

} // namespace vestan
