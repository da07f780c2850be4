#pragma once

#include <string>

namespace vestan::linesim {

// One end of the line: a pseudo-terminal in raw mode. The master is ours
// (non-blocking); a client opens the slave. We hold the slave open too, so
// the master never sees a hang-up when the client closes and reopens it.
class PseudoTerminal
{
public:
    // Throws std::runtime_error with the failing call and its reason.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    int master() const { return master_; }
    const std::string &slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// A symbolic link to a line end that lives as long as this object. A stale
// link left by an earlier run is replaced; any other file is refused. On the
// way out the link is removed only if it still points where we made it point.
class StableLink
{
public:
    // Throws std::runtime_error when the link cannot be made.
    StableLink(std::string path, std::string target);
    ~StableLink();
    StableLink(const StableLink &) = delete;
    StableLink &operator=(const StableLink &) = delete;

    const std::string &path() const { return path_; }

private:
    std::string path_;
    std::string target_;
};

} // namespace vestan::linesim
