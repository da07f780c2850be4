#pragma once

#include <cstdint>
#include <string>

namespace vestan::trvsim {

// The simulator's end of the line: a new pseudo-terminal (both ends raw) or
// an existing tty, optionally reachable through a stable symbolic link.
class SimLine
{
public:
    SimLine() = default;
    ~SimLine();
    SimLine(const SimLine &) = delete;
    SimLine &operator=(const SimLine &) = delete;

    // A new pseudo-terminal. False with `error` set when it fails.
    bool openPseudoTerminal(std::string &error);
    // An existing tty at the given speed.
    bool openDevice(const std::string &path, uint32_t baud, std::string &error);
    // Points `link` at the line's path (an existing link or file there is
    // replaced; a directory is not).
    bool makeLink(const std::string &link, std::string &error);

    int fd() const { return fd_; }
    // The path a client opens: the slave of the pseudo-terminal or the tty.
    const std::string &path() const { return path_; }

private:
    int fd_ = -1;
    int slaveFd_ = -1; // kept open so the line survives clients coming and going
    std::string path_;
    std::string link_;
};

} // namespace vestan::trvsim
