#pragma once

#include "faultmodel.h"
#include "linecut.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vestan::linesim {

struct Options
{
    std::string linkA;
    std::string linkB;
    std::uint64_t baud = 0;
    std::int64_t latencyNs = 0;
    FaultConfig faults;
    CutConfig cut;
    std::optional<std::int64_t> durationNs;
    std::string statsFile;
    bool help = false;
};

struct ParseResult
{
    Options options;
    std::string error; // empty when the command line is good
};

// Reads the command line (without the program name). Every value is checked:
// a bad number, a probability outside 0..1 or an option that needs another
// one gives an error text instead of a guess.
ParseResult parseOptions(const std::vector<std::string> &args);

std::string usageText();

} // namespace vestan::linesim
