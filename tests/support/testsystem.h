#pragma once

// What the tests need of the system that Linux and Windows give differently.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>

namespace vestan::test {

// The variable that moves the system's temporary folder.
bool isWindows();
const char *tempVariable();
// The variable of the user's settings folder, and the program's folder in it.
const char *userConfigVariable();
QString userSettingsName();

// Why a check cannot be made on this system (file modes, other users, the
// file size limit, symbolic links, root), or nullptr where it can.
const char *withoutLinuxFiles();

unsigned userId();
bool setFileMode(const QString &path, unsigned mode);
unsigned fileMode(const QString &path); // the permission bits, never following a link
bool giveToNobody(const QString &path); // root only: the file becomes another user's
// Runs `act` here, or as root (which may open and write anything) in a child
// as "nobody". Gives act's result (0 .. 255), -1 when the child did not end.
int asPlainUser(const std::function<int()> &act);

// Lowers the largest file this process may write, so that a write or copy
// fails part-way as on a full disk. Windows has no such limit: see
// withoutLinuxFiles().
class FileSizeLimit
{
public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    uint64_t previous_ = 0;
    void (*previousSignal_)(int) = nullptr;
};

// The exported name of the entry point at this address; empty when none.
QString exportedNameOf(const void *address);

// Text as the settings file of this system holds it: as given (UTF-8, LF)
// on Linux, code page 1251 with CRLF on Windows.
QByteArray onDisk(const QByteArray &utf8);

// Memory of whole pages; protectPage makes one page inaccessible.
std::size_t pageSize();
uint8_t *allocatePages(std::size_t span);
void protectPage(uint8_t *page);
void freePages(uint8_t *base, std::size_t span);

} // namespace vestan::test

// Skips the rest of a test where the system lacks what it checks.
#define VESTAN_NEEDS_LINUX_FILES()                                                                 \
    if (const char *vestanWhy = ::vestan::test::withoutLinuxFiles())                               \
    GTEST_SKIP() << vestanWhy
