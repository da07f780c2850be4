#pragma once

namespace vestan {

struct ProgramState;

// Hands the program's name, version, description and credit line to the
// link library's about box.
void SBtnAboutClick(ProgramState &state);

} // namespace vestan
