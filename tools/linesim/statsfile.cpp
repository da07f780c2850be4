#include "statsfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace vestan::linesim {

std::string writeFileAtomically(const std::string &path, const std::string &text)
{
    std::vector<char> name(path.begin(), path.end());
    const std::string suffix = ".XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return "cannot create a file beside " + path + ": " + std::strerror(errno);
    const std::string temporary(name.data());
    auto failed = [&](const std::string &what) {
        const std::string reason = std::strerror(errno);
        close(fd);
        unlink(temporary.c_str());
        return what + " " + temporary + ": " + reason;
    };
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed("cannot write");
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0)
        return failed("cannot flush");
    if (close(fd) != 0) {
        const std::string reason = std::strerror(errno);
        unlink(temporary.c_str());
        return "cannot close " + temporary + ": " + reason;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        unlink(temporary.c_str());
        return "cannot rename " + temporary + " to " + path + ": " + reason;
    }
    return {};
}

} // namespace vestan::linesim
