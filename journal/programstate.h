#pragma once

#include "journal/recentfiles.h"
#include "session/session.h"

namespace vestan {

// The window's one state: the shared session and the recent journal files
// of the window's list. The main window owns it and hands it by reference
// to each page; it lives as long as the main window.
struct ProgramState : Session
{
    using Session::Session;

    RecentFiles recentFiles;
};

} // namespace vestan
