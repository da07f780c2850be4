#pragma once

#include <string>

namespace vestan::linesim {

// Writes `text` to `path` through a temporary file in the same folder and a
// rename, so a reader never sees half a report. Returns an error text, or an
// empty string on success; on failure no temporary file is left behind.
std::string writeFileAtomically(const std::string &path, const std::string &text);

} // namespace vestan::linesim
