#include "session/copyormove.h"

#include "session/session.h"
#include "session/transferquestions.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vestan {
namespace {

// The copy goes into a new file beside the target that replaces it only when
// complete, so a failed copy leaves an existing target as it was and no
// partial file behind.
bool copyReplacing(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    // A directory that refuses new files still lets a writable target be
    // written in place; only a failing disk can then leave it half written.
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = in.read(chunk, sizeof chunk);
        if (n < 0)
            return false; // the unfinished copy is discarded with `out`
        if (n == 0)
            break;
        if (out.write(chunk, n) != n)
            return false;
    }
    return out.commit();
}

} // namespace

bool CopyOrMoveFile(Session &state, int mode, const QString &source, const QString &target,
                    TransferQuestions &questions)
{
    Host &host = state.host;
    const QString caption = state.paths.programFileName;
    if (source.isEmpty() || target.isEmpty() || (mode != kCopyFile && mode != kMoveFile)) {
        host.messageBox(caption, "       ОШИБКА ПАРАМЕТРОВ\nКОПИРОВАНИЯ ИЛИ ПЕРЕМЕЩЕНИЯ ФАЙЛА",
                        kMbIconStop | kMbOk);
        return false;
    }
    const QFileInfo existing(target);
    if (existing.exists() || existing.isSymLink()) {
        const Question question{
            caption,
            QString::asprintf("Заменить существующий файл?\n\"%s\"", qUtf8Printable(target)),
            kMbIconExclamation | kMbYesNo};
        if (!questions.replace(question, target))
            return false;
    }
    // A move never replaces a file that exists.
    const bool done =
        mode == kCopyFile ? copyReplacing(source, target) : QFile::rename(source, target);
    if (done)
        return true;
    host.messageBox(caption,
                    QString::asprintf("%s файла \"%s\"\nв файл \"%s\"\n НЕ УДАЛОСЬ!",
                                      mode == kCopyFile ? "Копирование" : "Перемещение",
                                      qUtf8Printable(source), qUtf8Printable(target)),
                    kMbIconStop | kMbOk);
    return false;
}

} // namespace vestan
