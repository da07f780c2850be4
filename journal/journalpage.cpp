#include "journal/journalpage.h"

#include "app/programstate.h"

namespace vestan {

JournalPage::JournalPage(ProgramState &state, ProgressPanel &progress, QWidget *parent) : QWidget(parent), state_(state)
{
    setObjectName(QStringLiteral("TabSJur"));
    Q_UNUSED(progress);
}

JournalStatusControls JournalPage::statusControls() const { return {}; }

} // namespace vestan
