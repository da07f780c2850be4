#pragma once

#include "link/linksession.h"
#include <QToolBar>

namespace vestan {

struct ProgramState;

// Scaffold: the owner of this folder replaces it with the real page.
class LinkToolBar : public QToolBar, public LinkStatusDisplay
{
    Q_OBJECT

public:
    LinkToolBar(ProgramState &state, QWidget *parent = nullptr);
    void setJournalStatusControls(const JournalStatusControls &controls) { journal_ = controls; }
    void RefreshLinkStatus() override;

private:
    ProgramState &state_;
    JournalStatusControls journal_;
};

} // namespace vestan
