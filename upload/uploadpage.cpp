#include "upload/uploadpage.h"

#include "app/programstate.h"

namespace vestan {

UploadPage::UploadPage(ProgramState &state, ProgressPanel &progress, QWidget *parent) : QWidget(parent), state_(state)
{
    setObjectName(QStringLiteral("TabSGet"));
    Q_UNUSED(progress);
}

} // namespace vestan
