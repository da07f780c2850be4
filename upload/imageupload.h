#pragma once

#include <cstdint>

namespace vestan {

class ProgressPanel;
struct ProgramState;

// Sizes of the controller's software area accepted without a question.
inline constexpr uint32_t kStandardFlashSize = 0x80000; // 512 KB, also offered instead of others
inline constexpr uint32_t kAltFlashSize = 0x90000;      // 576 KB

// Asks about a size other than the two known ones (Yes takes the standard
// size instead, No keeps it); false on Cancel. The command line answers the
// question through its host.
bool confirmFlashSize(ProgramState &state, uint32_t &imageSize);

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
