#pragma once

namespace vestan {

struct ProgramState;
class LinkToolBar;

// The settings file beside the program: read once at start-up, written by
// every run of the ending. Scaffold: its owner replaces the bodies.
class Settings
{
public:
    Settings(ProgramState &state, LinkToolBar &toolBar) : state_(state), toolBar_(toolBar) {}
    void LoadSettings();
    void SaveSettings();

private:
    ProgramState &state_;
    LinkToolBar &toolBar_;
};

} // namespace vestan
