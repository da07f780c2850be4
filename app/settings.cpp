#include "app/settings.h"

#include "app/programstate.h"
#include "link/linktoolbar.h"

namespace vestan {

void Settings::LoadSettings() {}

void Settings::SaveSettings() {}

} // namespace vestan
