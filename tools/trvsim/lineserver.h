#pragma once

#include "maker/trvclnk/framecodec.h"
#include "tools/trvsim/controller.h"
#include "tools/trvsim/modememulator.h"
#include "tools/trvsim/options.h"

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>

namespace vestan::trvsim {

// Serves the line: frames in, the controller's replies out, through the
// modem when there is one, with the fault knobs of the options applied to
// every reply.
class LineServer
{
public:
    LineServer(int fd, const SimOptions &options, Controller &controller, std::FILE *events);
    // Several controllers on one line, each answering its own network number.
    LineServer(int fd, const SimOptions &options, std::map<int, Controller *> controllers,
               std::FILE *events);

    // Runs until `stop` becomes true or the line fails; 0 or an errno value.
    int run(const std::atomic<bool> &stop);

    // What the fault knobs make of a reply packet (tests use it directly).
    static Bytes applyFaults(Bytes reply, const SimOptions &options);

private:
    void handleFrames();
    bool send(const uint8_t *data, size_t size);
    bool sendReply(const Bytes &payload);
    // --forge-burst picks this reply.
    bool forges(const Bytes &reply) const;
    void reportEvents();

    int fd_;
    SimOptions options_;
    std::map<int, Controller *> controllers_;
    std::FILE *events_;
    line::FrameDecoder decoder_;
    std::unique_ptr<ModemEmulator> modem_;
    Bytes payload_;
    Bytes frame_;
    Bytes data_;
    Bytes answer_;
    int64_t lastByteMs_ = 0;
    uint32_t forged_ = 0;
};

} // namespace vestan::trvsim
