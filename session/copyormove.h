#pragma once

#include <QString>

namespace vestan {

struct Session;
class TransferQuestions;

enum CopyMode : int
{
    kCopyFile = 0,
    kMoveFile = 1,
};

// Puts source in place as target (mode 0 copies, mode 1 moves), asking
// `questions` before an existing target is replaced. True when the file is
// in place; every failure has been shown to the user.
bool CopyOrMoveFile(Session &state, int mode, const QString &source, const QString &target,
                    TransferQuestions &questions);

} // namespace vestan
