#pragma once

namespace vestan {

class ProgressPanel;
class RecentFiles;
struct Session;

// The software image upload behind SBtnGet: the controller's FLASH system
// area, through the temporary file into a file of the user's choice.
void uploadImage(Session &state, RecentFiles &recent, ProgressPanel &progress);

} // namespace vestan
