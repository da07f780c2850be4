#pragma once

#include <cstdint>

namespace vestan {

class ProgressPanel;
struct ProgramState;

// The software image upload behind SBtnGet: the controller's FLASH system
// area, through the temporary file into a file of the user's choice.
class ImageUpload
{
public:
    ImageUpload(ProgramState &state, ProgressPanel &progress) : state_(state), progress_(progress)
    {}

    void run();

private:
    ProgramState &state_;
    ProgressPanel &progress_;
};

} // namespace vestan
