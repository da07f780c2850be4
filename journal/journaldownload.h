#pragma once

namespace vestan {

class ProgressPanel;
struct ProgramState;

// The journal download behind SBtnJurLink: the header and (unless only the
// header is wanted) the data area, through the temporary file into the
// user's journal file.
class JournalDownload
{
public:
    JournalDownload(ProgramState &state, ProgressPanel &progress)
        : state_(state), progress_(progress)
    {}

    void run(bool headerOnly);

private:
    ProgramState &state_;
    ProgressPanel &progress_;
};

} // namespace vestan
