#pragma once

#include <cstdio>

namespace vestan {

// Whether the stream goes to a terminal (progress lines are for people only).
bool isTerminal(std::FILE *stream);

} // namespace vestan
