// linesim: a serial line between two pseudo-terminals, with a byte rate,
// a delay and faults drawn from a seeded generator.

#include "line.h"
#include "options.h"
#include "pseudoterminal.h"
#include "statsfile.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unistd.h>

namespace {

int stopWrite = -1;

void onStopSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(stopWrite, &byte, 1);
    errno = saved;
}

// A pipe that becomes readable when SIGINT, SIGTERM or SIGHUP arrives, so the
// poll loop ends cleanly and the links are removed on the way out.
int installStopPipe()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("pipe2 failed");
    stopWrite = fds[1];
    struct sigaction action
    {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
    // A script that stops reading our stdout must not kill the line.
    signal(SIGPIPE, SIG_IGN);
    return fds[0];
}

} // namespace

int main(int argc, char **argv)
{
    using namespace vestan::linesim;
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "linesim " VESTAN_VERSION "\n";
        return 0;
    }
    const ParseResult parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "linesim: " << parsed.error << "\n(try --help)\n";
        return 2;
    }
    const Options &options = parsed.options;
    if (options.help) {
        std::cout << usageText();
        return 0;
    }

    try {
        const int stopFd = installStopPipe();
        PseudoTerminal a;
        PseudoTerminal b;
        std::unique_ptr<StableLink> linkA;
        std::unique_ptr<StableLink> linkB;
        if (!options.linkA.empty())
            linkA = std::make_unique<StableLink>(options.linkA, a.slavePath());
        if (!options.linkB.empty())
            linkB = std::make_unique<StableLink>(options.linkB, b.slavePath());

        Line line(options, a.master(), b.master());
        std::cout << "a=" << a.slavePath() << "\nb=" << b.slavePath() << "\nready" << std::endl;
        line.run(stopFd, options.durationNs);

        const std::string report = formatStats("a_to_b", line.statsAtoB()) + "\n" +
                                   formatStats("b_to_a", line.statsBtoA()) + "\n";
        if (options.statsFile.empty()) {
            std::cerr << report;
        } else if (std::string problem = writeFileAtomically(options.statsFile, report);
                   !problem.empty()) {
            std::cerr << report << "linesim: " << problem << "\n";
            return 1;
        }
        return 0;
    } catch (const std::exception &e) {
        std::cerr << "linesim: " << e.what() << "\n";
        return 1;
    }
}
