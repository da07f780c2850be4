#include "tests/support/testsystem.h"

#include <QFile>
#include <csignal>
#include <dlfcn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vestan::test {

bool isWindows()
{
    return false;
}

const char *tempVariable()
{
    return "TMPDIR";
}

const char *userConfigVariable()
{
    return "XDG_CONFIG_HOME";
}

QString userSettingsName()
{
    return QStringLiteral("vestan");
}

const char *withoutLinuxFiles()
{
    return nullptr;
}

unsigned userId()
{
    return ::geteuid();
}

bool setFileMode(const QString &path, unsigned mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

unsigned fileMode(const QString &path)
{
    struct stat st
    {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return ~0u;
    return unsigned(st.st_mode & 07777);
}

bool giveToNobody(const QString &path)
{
    return ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
}

int asPlainUser(const std::function<int()> &act)
{
    constexpr uid_t kNobody = 65534;
    if (::geteuid() != 0)
        return act();
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0)
        ::_exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? act() & 0xff : 0xff);
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

FileSizeLimit::FileSizeLimit(uint64_t bytes)
{
    previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previous_ = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(previous_);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousSignal_);
}

QString exportedNameOf(const void *address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_sname == nullptr)
        return QString();
    return QString::fromLatin1(info.dli_sname);
}

QByteArray onDisk(const QByteArray &utf8)
{
    return utf8;
}

std::size_t pageSize()
{
    return std::size_t(sysconf(_SC_PAGESIZE));
}

uint8_t *allocatePages(std::size_t span)
{
    void *base = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return base == MAP_FAILED ? nullptr : static_cast<uint8_t *>(base);
}

void protectPage(uint8_t *page)
{
    mprotect(page, pageSize(), PROT_NONE);
}

void freePages(uint8_t *base, std::size_t span)
{
    munmap(base, span);
}

} // namespace vestan::test
