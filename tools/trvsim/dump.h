#pragma once

#include "tools/trvsim/controller.h"

#include <string>

namespace vestan::trvsim {

// Writes every object of fixed contents to dir/<code>.bin (four
// upper-case hex digits) and the journal file dir/journal.dat (header bytes,
// then data bytes). Each file appears whole or not at all. False with
// `error` set on failure.
bool dumpObjects(Controller &controller, const std::string &dir, std::string &error);

} // namespace vestan::trvsim
