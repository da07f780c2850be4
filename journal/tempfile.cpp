#include "journal/tempfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vestan {

TempFile::~TempFile()
{
    closeHandle();
}

QString TempFile::MakeTempFileName(int capacity)
{
    QString directory = QDir::tempPath();
    if (directory.isEmpty() || directory.size() > capacity)
        directory = paths_.programDir;
    if (!directory.isEmpty() && !directory.endsWith(u'/') && !directory.endsWith(u'\\'))
        directory += QDir::separator();

    const QFileInfo program(paths_.programFileName);
    const QString base =
        program.completeBaseName().isEmpty() ? program.fileName() : program.completeBaseName();
    const QString name = directory + base + QStringLiteral(".TMP");

    const QChar last = name.isEmpty() ? QChar() : name.back();
    if (!base.isEmpty() && name.size() <= capacity && last != u'\\' && last != u'.' && last != u':')
        return name;
    host_.messageBox(host_.programPath(), "Не могу получить\nимя для временного файла",
                     kMbIconStop | kMbOk);
    return QString();
}

void TempFile::CreateTempFile()
{
    const QString name = MakeTempFileName(kFileNameCapacity);
    if (name.isEmpty())
        return;
    closeHandle();
    registered_ = false;
    name_ = name;

    // The name is fixed and lies in a directory everyone can write to: never
    // follow a planted link and never take over another user's file.
    const QByteArray path = QFile::encodeName(name_);
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        struct stat st
        {};
        const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                          st.st_uid == ::geteuid() && st.st_nlink == 1;
        // Another running copy of the program uses the same name: emptying
        // its file under it would spoil that transfer, so such a file is
        // refused like any other that cannot be created.
        if (!ours || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0 ||
            ::fchmod(fd, 0600) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0) {
        host_.messageBox(
            host_.programPath(),
            QString::asprintf(" Не могу создать временный файл\n\"%s\"", qUtf8Printable(name_)),
            kMbIconStop | kMbOk);
        name_.clear();
        return;
    }
    fd_ = fd;
    registered_ = true;
}

bool TempFile::WriteTempFile(const uint8_t *bytes, uint16_t count)
{
    if (!registered_)
        return false;
    bool ok = fd_ >= 0;
    size_t done = 0;
    while (ok && done < count) {
        const ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n > 0)
            done += size_t(n);
        else if (!(n < 0 && errno == EINTR))
            ok = false;
    }
    if (ok)
        return true;
    host_.messageBox(
        host_.programPath(),
        QString::asprintf(" Ошибка записи во временный файл\n\"%s\"", qUtf8Printable(name_)),
        kMbIconStop | kMbOk);
    DeleteTempFile();
    return false;
}

void TempFile::CloseTempFile()
{
    if (registered_)
        closeHandle();
}

void TempFile::DeleteTempFile()
{
    if (!registered_)
        return;
    closeHandle();
    if (!name_.isEmpty())
        QFile::remove(name_);
    registered_ = false;
}

void TempFile::closeHandle()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace vestan
