#include "session/linkapi.h"

namespace vestan {

const char kLinkLibraryName[] = "trvCLNK.dll";

} // namespace vestan
