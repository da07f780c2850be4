#pragma once

namespace vestan {

struct ProgramState;

// Hands the program's name, version, description and credit line to the
// link library's about box. Scaffold: its owner replaces the body.
void SBtnAboutClick(ProgramState &state);

} // namespace vestan
