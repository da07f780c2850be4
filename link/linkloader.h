#pragma once

#include <cstdint>

namespace vestan {

struct ProgramState;

// Finds, loads and binds the link library; 0 or a code already shown to the
// user. Scaffold: its owner replaces the body.
int32_t LoadLinkLibrary(ProgramState &state);

} // namespace vestan
