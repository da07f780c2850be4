#pragma once

namespace vestan {

class ProgressPanel;
class RecentFiles;
struct Session;

// The journal download behind SBtnJurLink: the header and (unless only the
// header is wanted) the data area, through the temporary file into the
// user's journal file.
class JournalDownload
{
public:
    JournalDownload(Session &state, RecentFiles &recent, ProgressPanel &progress)
        : state_(state), recent_(recent), progress_(progress)
    {}

    void run(bool headerOnly);

private:
    Session &state_;
    RecentFiles &recent_;
    ProgressPanel &progress_;
};

} // namespace vestan
