#pragma once

namespace vestan {

class ProgressPanel;
class RecentFiles;
struct Session;

// The journal download behind SBtnJurLink: the header and (unless only the
// header is wanted) the data area, through the temporary file into the
// user's journal file.
void downloadJournal(Session &state, RecentFiles &recent, ProgressPanel &progress, bool headerOnly);

} // namespace vestan
