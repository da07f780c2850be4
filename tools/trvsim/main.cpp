// trvsim: a TARVEL controller on a serial line, for the program's tests and
// for trying the program without a controller.

#include "tools/trvsim/controller.h"
#include "tools/trvsim/dump.h"
#include "tools/trvsim/lineserver.h"
#include "tools/trvsim/options.h"
#include "tools/trvsim/simline.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <memory>

namespace {

std::atomic<bool> stopRequested{false};

void onSignal(int)
{
    stopRequested = true;
}

} // namespace

int main(int argc, char **argv)
{
    using namespace vestan::trvsim;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::fputs("trvsim " VESTAN_VERSION "\n", stdout);
        return 0;
    }
    std::string error;
    const auto options = parseOptions(args, error);
    if (!options) {
        if (error.empty()) {
            std::fputs(usage().c_str(), stdout);
            return 0;
        }
        std::fprintf(stderr, "trvsim: %s\n%s", error.c_str(), usage().c_str());
        return 2;
    }

    struct sigaction action
    {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        // One controller per network number; with several, each dumps under its number.
        std::vector<std::unique_ptr<Controller>> controllers;
        std::map<int, Controller *> byNet;
        for (const int net : options->nets) {
            controllers.push_back(std::make_unique<Controller>(controllerOptions(*options, net)));
            byNet[net] = controllers.back().get();
            if (options->dumpDir.empty())
                continue;
            const std::string dir = options->nets.size() > 1
                                        ? options->dumpDir + "/" + std::to_string(net)
                                        : options->dumpDir;
            if (!dumpObjects(*controllers.back(), dir, error)) {
                std::fprintf(stderr, "trvsim: %s\n", error.c_str());
                return 1;
            }
        }
        SimLine line;
        const bool opened = options->device.empty()
                                ? line.openPseudoTerminal(error)
                                : line.openDevice(options->device, options->baud, error);
        if (!opened || (!options->link.empty() && !line.makeLink(options->link, error))) {
            std::fprintf(stderr, "trvsim: %s\n", error.c_str());
            return 1;
        }
        // The first line of output says the line is ready and where it is.
        std::printf("%s\n", line.path().c_str());
        std::fflush(stdout);
        LineServer server(line.fd(), *options, byNet, stdout);
        const int failure = server.run(stopRequested);
        if (failure != 0) {
            std::fprintf(stderr, "trvsim: the line failed: %s\n", std::strerror(failure));
            return 1;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "trvsim: %s\n", e.what());
        return 1;
    }
    return 0;
}
