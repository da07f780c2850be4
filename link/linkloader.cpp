#include "link/linkloader.h"

#include "app/programstate.h"

namespace vestan {

int32_t LoadLinkLibrary(ProgramState &) { return -4; }

} // namespace vestan
