#include "app/aboutbox.h"

#include "app/programstate.h"

namespace vestan {

void SBtnAboutClick(ProgramState &) {}

} // namespace vestan
