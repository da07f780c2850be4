#pragma once

#include <QString>

namespace vestan {

struct ProgramState;
class LinkToolBar;

// The settings file: the link port, the network number, the portion size, the
// telephone number and the recent journal files. Read once at start-up,
// written by every run of the ending.
class Settings
{
public:
    Settings(ProgramState &state, LinkToolBar &toolBar) : state_(state), toolBar_(toolBar) {}

    // Reading never fails: what is missing or out of range falls back to its default.
    void LoadSettings();
    // Throws VestanError("Unable to write to <file>") at the first key that cannot be
    // written; the keys after it keep their old values in the file.
    void SaveSettings();

private:
    ProgramState &state_;
    LinkToolBar &toolBar_;
};

} // namespace vestan
