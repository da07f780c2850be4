#pragma once

#include "journal/progresspanel.h"
#include "link/linksession.h"
#include <QWidget>

namespace vestan {

struct ProgramState;

// Scaffold: the owner of this folder replaces it with the real page.
class JournalPage : public QWidget
{
    Q_OBJECT

public:
    JournalPage(ProgramState &state, ProgressPanel &progress, QWidget *parent = nullptr);
    JournalStatusControls statusControls() const;

private:
    ProgramState &state_;
};

} // namespace vestan
