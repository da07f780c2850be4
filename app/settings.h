#pragma once

#include <QString>

namespace vestan {

struct ProgramState;

// The settings file: the link port, the network number, the portion size, the
// telephone number and the recent journal files, read into and written from
// the session and the recent list (the tool bar shows them). Read once at
// start-up, written by every run of the ending.
class Settings
{
public:
    explicit Settings(ProgramState &state) : state_(state) {}

    // Reading never fails: what is missing or out of range falls back to its default.
    void LoadSettings();
    // Throws VestanError("Unable to write to <file>") at the first key that cannot be
    // written; the keys after it keep their old values in the file.
    void SaveSettings();

private:
    ProgramState &state_;
};

} // namespace vestan
