#include "pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace vestan::linesim {

namespace {

[[noreturn]] void fail(const std::string &what, int error = errno)
{
    throw std::runtime_error(what + ": " + std::strerror(error));
}

void makeRaw(int fd, const std::string &name)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        fail("tcgetattr " + name);
    cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        fail("tcsetattr " + name);
}

std::string readLink(const std::string &path)
{
    std::vector<char> buffer(4096);
    const ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0 || static_cast<std::size_t>(n) >= buffer.size())
        return {};
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

} // namespace

PseudoTerminal::PseudoTerminal()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        fail("posix_openpt");
    try {
        if (fcntl(master_, F_SETFD, FD_CLOEXEC) != 0)
            fail("fcntl FD_CLOEXEC");
        if (grantpt(master_) != 0)
            fail("grantpt");
        if (unlockpt(master_) != 0)
            fail("unlockpt");
        char name[256];
        if (const int rc = ptsname_r(master_, name, sizeof name); rc != 0)
            fail("ptsname_r", rc);
        slavePath_ = name;
        slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0)
            fail("open " + slavePath_);
        makeRaw(slave_, slavePath_);
        makeRaw(master_, "the master of " + slavePath_);
        const int flags = fcntl(master_, F_GETFL);
        if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
            fail("fcntl O_NONBLOCK");
    } catch (...) {
        if (slave_ >= 0)
            close(slave_);
        close(master_);
        throw;
    }
}

PseudoTerminal::~PseudoTerminal()
{
    close(slave_);
    close(master_);
}

StableLink::StableLink(std::string path, std::string target)
    : path_(std::move(path)), target_(std::move(target))
{
    struct stat st
    {};
    if (lstat(path_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
        throw std::runtime_error(path_ + ": exists and is not a symbolic link, not replacing it");
    // Made under a temporary name and renamed, so a waiting client never sees
    // the path missing or pointing somewhere half-made.
    const std::string temporary = path_ + ".linesim-" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target_.c_str(), temporary.c_str()) != 0)
        fail("symlink " + temporary);
    if (rename(temporary.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        fail("rename " + temporary + " to " + path_, error);
    }
}

StableLink::~StableLink()
{
    if (readLink(path_) == target_)
        unlink(path_.c_str());
}

} // namespace vestan::linesim
