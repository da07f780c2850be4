#include "session/linkapi.h"

namespace vestan {

const char kLinkLibraryName[] = "trvCLNK.so";

} // namespace vestan
