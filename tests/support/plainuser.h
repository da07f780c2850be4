#pragma once

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace vestan::test {

// Runs `act` here, or as root (which may open and write anything) in a child
// as "nobody". Gives act's result (0 .. 255), -1 when the child did not end.
inline int asPlainUser(const std::function<int()> &act)
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

} // namespace vestan::test
