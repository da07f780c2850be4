#include "platform/claimedfile.h"

#include <QDir>

#include <algorithm>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace vestan {
namespace {

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

} // namespace

bool ClaimedFile::claim(const QString &path)
{
    release();
    // Shared for reading only, which the copy into the user's file needs:
    // while this handle is open another copy of the program can neither
    // write, empty, rename nor delete the file. A link planted at the name is
    // opened as itself and refused below.
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()),
                                GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool plain =
        GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
        info.nNumberOfLinks == 1;
    const int fd = plain ? _open_osfhandle(intptr_t(handle), _O_BINARY) : -1;
    if (fd < 0) {
        CloseHandle(handle);
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
    return fd_ >= 0 && _chsize_s(fd_, 0) == 0 && _lseeki64(fd_, 0, SEEK_SET) == 0;
}

bool ClaimedFile::write(const uint8_t *bytes, size_t count)
{
    if (fd_ < 0)
        return false;
    size_t done = 0;
    while (done < count) {
        const unsigned int piece = unsigned(std::min<size_t>(count - done, 1u << 30));
        const int n = _write(fd_, bytes + done, piece);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

void ClaimedFile::remove()
{
    if (fd_ < 0)
        return;
    BY_HANDLE_FILE_INFORMATION held{};
    const bool known = GetFileInformationByHandle(handleOf(fd_), &held);
    const QString path = path_;
    release();
    if (!known)
        return;
    // Opened again for deleting, and deleted only when it is still the file
    // that was held, never one that took its name meanwhile.
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), DELETE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    BY_HANDLE_FILE_INFORMATION named{};
    if (GetFileInformationByHandle(handle, &named) &&
        named.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
        named.nFileIndexHigh == held.nFileIndexHigh && named.nFileIndexLow == held.nFileIndexLow) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition));
    }
    CloseHandle(handle);
}

void ClaimedFile::release()
{
    if (fd_ >= 0) {
        _close(fd_);
        fd_ = -1;
    }
    path_.clear();
}

QString userTempDirectory()
{
    // The system's temporary folder (%TEMP%) already belongs to the user alone.
    const QString temp = QDir::tempPath();
    if (temp.isEmpty() || !QDir(temp).exists())
        return QString();
    return QDir::toNativeSeparators(temp);
}

} // namespace vestan
