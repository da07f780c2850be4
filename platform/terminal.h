#pragma once

#include <QString>
#include <cstdio>

namespace vestan {

// Whether the stream goes to a terminal (progress lines are for people only).
bool isTerminal(std::FILE *stream);

// Writes text as the stream's reader reads it: a console gets the characters
// themselves whatever its code page, a file or a pipe gets UTF-8.
void writeText(std::FILE *stream, const QString &text);

} // namespace vestan
