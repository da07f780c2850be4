#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vestan::trvsim {

struct HandlerVersion
{
    uint8_t number[4] = {2, 1, 0, 5};
    uint16_t year = 2007;
    uint8_t month = 3;
    uint8_t day = 3;
};

struct PowerReadings
{
    float voltage = 230.5f;
    float frequency = 50.0f;
    float temperature = 36.25f;
};

// --forge-burst: replies of one object sent with a burst whose check sum
// still passes (see forgedburst.h).
struct ForgedBursts
{
    uint16_t code = 0;
    std::optional<uint32_t> byte; // only block reads that hold this byte
    uint32_t times = 1;           // 0: every time
};

struct SimOptions
{
    std::string device;     // --device: serve this tty instead of a new pseudo-terminal
    uint32_t baud = 115200; // --baud: line speed of --device
    std::string link;       // --link: symbolic link to the line
    int net = 33;           // --net: the first number given
    std::vector<int> nets;  // --net 3,7,33: every number answered (at least `net`)
    std::string dumpDir;    // --dump

    uint32_t records = 1000;     // --records
    uint16_t recordSize = 64;    // --record-size
    uint16_t variables = 16;     // --variables
    uint32_t flashSize = 524288; // --flash-size
    std::optional<HandlerVersion> handlerVersion =
        HandlerVersion{}; // --handler-version, "off" = none
    PowerReadings power;  // --power V,F,T

    bool modem = false;    // --modem
    std::string modemFail; // --modem-fail: BUSY, NO CARRIER, NO DIALTONE, NO ANSWER, SILENT
    int guardMs = 1000;    // --guard-ms: the modem's escape guard time

    int replyDelayMs = 0;    // --reply-delay-ms
    int byteGapMs = 0;       // --byte-gap-ms
    bool wrongCount = false; // --wrong-count
    bool foreignNet = false; // --foreign-net
    uint32_t oversize = 0;   // --oversize[=BYTES]: bytes added to every reply
    // --forge-burst CODE[:BYTE[:TIMES]]
    std::optional<ForgedBursts> forgeBurst;
};

// Parses the command line; on a mistake returns nothing and sets `error`.
// `--help` gives nothing with an empty error and the usage in `error`'s place
// is left to the caller (usage()).
std::optional<SimOptions> parseOptions(const std::vector<std::string> &args, std::string &error);
std::string usage();

// The options of the controller behind one of several numbers: its own net
// number, journal length and version, so that controllers on one line differ.
SimOptions controllerOptions(const SimOptions &line, int net);

bool parseHandlerVersion(const std::string &text, HandlerVersion &out);

} // namespace vestan::trvsim
