#include "tools/trvsim/simline.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace vestan::trvsim {
namespace {

bool makeRaw(int fd, speed_t speed)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return false;
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (speed != 0) {
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
    }
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

speed_t speedOf(uint32_t baud)
{
    static const std::pair<uint32_t, speed_t> kSpeeds[] = {
        {1200, B1200},     {2400, B2400},     {4800, B4800},    {9600, B9600},
        {19200, B19200},   {38400, B38400},   {57600, B57600},  {115200, B115200},
        {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto &[rate, speed] : kSpeeds)
        if (rate == baud)
            return speed;
    return 0;
}

std::string lastError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

} // namespace

SimLine::~SimLine()
{
    if (!link_.empty()) {
        // Remove the link only if it still points at our line.
        std::error_code ec;
        if (std::filesystem::read_symlink(link_, ec) == path_ && !ec)
            std::filesystem::remove(link_, ec);
    }
    if (slaveFd_ >= 0)
        ::close(slaveFd_);
    if (fd_ >= 0)
        ::close(fd_);
}

bool SimLine::openPseudoTerminal(std::string &error)
{
    fd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd_ < 0 || ::grantpt(fd_) != 0 || ::unlockpt(fd_) != 0) {
        error = lastError("cannot create a pseudo-terminal");
        return false;
    }
    const char *name = ::ptsname(fd_);
    if (name == nullptr) {
        error = lastError("cannot name the pseudo-terminal");
        return false;
    }
    path_ = name;
    slaveFd_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slaveFd_ < 0 || !makeRaw(slaveFd_, B115200) || !makeRaw(fd_, 0)) {
        error = lastError("cannot set the pseudo-terminal to raw mode");
        return false;
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool SimLine::openDevice(const std::string &path, uint32_t baud, std::string &error)
{
    const speed_t speed = speedOf(baud);
    if (speed == 0) {
        error = "unsupported speed " + std::to_string(baud) + " for " + path;
        return false;
    }
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        error = lastError("cannot open " + path);
        return false;
    }
    if (!makeRaw(fd_, speed)) {
        error = lastError("cannot set " + path + " to raw mode");
        return false;
    }
    path_ = path;
    return true;
}

bool SimLine::makeLink(const std::string &link, std::string &error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::symlink_status(link, ec);
    if (fs::is_directory(status)) {
        error = "--link " + link + " is a directory";
        return false;
    }
    // Build the new link beside the old one and rename it over, so the path
    // never points nowhere.
    const std::string temporary = link + ".new" + std::to_string(::getpid());
    fs::remove(temporary, ec);
    fs::create_symlink(path_, temporary, ec);
    if (!ec)
        fs::rename(temporary, link, ec);
    if (ec) {
        error = "cannot make the link " + link + ": " + ec.message();
        fs::remove(temporary, ec);
        return false;
    }
    link_ = link;
    return true;
}

} // namespace vestan::trvsim
