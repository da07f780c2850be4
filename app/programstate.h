#pragma once

#include "journal/recentfiles.h"
#include "session/session.h"

namespace vestan {

// The window's one state: the shared session and the recent journal files
// of the journal page's list. The program's entry owns it for the main
// window, which hands the session and the list by reference to its pages.
struct ProgramState : Session
{
    using Session::Session;

    RecentFiles recentFiles;
};

} // namespace vestan
