#pragma once

#include <QString>

namespace vestan {

// Where a file dialog opens before the user has chosen a file: the user's
// Documents folder on Windows, the home folder on Linux. Never the folder the
// program happened to be started in, which may be one the user cannot write.
QString userDocumentsFolder();

} // namespace vestan
