#pragma once

#include <cstdint>

namespace vestan {

class ProgressPanel;
class RecentFiles;
struct Session;

// The software image upload behind SBtnGet: the controller's FLASH system
// area, through the temporary file into a file of the user's choice.
class ImageUpload
{
public:
    ImageUpload(Session &state, RecentFiles &recent, ProgressPanel &progress)
        : state_(state), recent_(recent), progress_(progress)
    {}

    void run();

private:
    Session &state_;
    RecentFiles &recent_;
    ProgressPanel &progress_;
};

} // namespace vestan
