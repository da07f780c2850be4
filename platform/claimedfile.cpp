#include "platform/claimedfile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vestan {
namespace {

// Only a directory of our own that nobody else may enter or write keeps a
// fixed file name from being planted or taken by another user.
bool isPrivateDirectory(const QByteArray &path)
{
    struct stat st
    {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool ClaimedFile::claim(const QString &path)
{
    release();
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat st
    {};
    const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                      st.st_nlink == 1;
    // The lock is what another copy of the program finds: a file it holds is
    // in use, never emptied under it.
    if (!ours || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fchmod(fd, 0600) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    if (!empty())
        release();
    return isClaimed();
}

bool ClaimedFile::empty()
{
    return fd_ >= 0 && ::ftruncate(fd_, 0) == 0 && ::lseek(fd_, 0, SEEK_SET) == 0;
}

bool ClaimedFile::write(const uint8_t *bytes, size_t count)
{
    if (fd_ < 0)
        return false;
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n > 0)
            done += size_t(n);
        else if (!(n < 0 && errno == EINTR))
            return false;
    }
    return true;
}

void ClaimedFile::remove()
{
    if (fd_ >= 0) {
        struct stat held
        {};
        struct stat named
        {};
        const QByteArray name = QFile::encodeName(path_);
        if (::fstat(fd_, &held) == 0 && ::lstat(name.constData(), &named) == 0 &&
            sameFile(held, named))
            ::unlink(name.constData());
    }
    release();
}

void ClaimedFile::release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    path_.clear();
}

QString userTempDirectory()
{
    const QString temp = QDir::tempPath();
    if (temp.isEmpty())
        return QString();
    const QString own = temp + QStringLiteral("/vestan-%1").arg(::geteuid());
    const QByteArray path = QFile::encodeName(own);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    // A directory of ours left open to others by an older umask is closed again.
    struct stat st
    {};
    if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
        (st.st_mode & 077) != 0)
        ::chmod(path.constData(), 0700);
    return isPrivateDirectory(path) ? own : QString();
}

} // namespace vestan
