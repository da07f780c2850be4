#pragma once

#include <QString>

namespace vestan {

struct ProgramState;

enum CopyMode : int
{
    kCopyFile = 0,
    kMoveFile = 1,
};

// Puts source in place as target (mode 0 copies, mode 1 moves), asking
// before an existing target is replaced. True when the file is in place;
// every failure has been shown to the user.
bool CopyOrMoveFile(ProgramState &state, int mode, const QString &source, const QString &target);

} // namespace vestan
