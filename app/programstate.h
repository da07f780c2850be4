#pragma once

#include "journal/recentfiles.h"
#include "journal/tempfile.h"
#include "link/linkapi.h"
#include "link/linkchannel.h"
#include "link/linksession.h"
#include "link/requestlayer.h"
#include "platform/host.h"
#include "platform/programpaths.h"

#include <QString>

namespace vestan {

// The program's one state, owned by the main window and handed by reference
// to each subsystem. It lives as long as the main window.
struct ProgramState
{
    explicit ProgramState(Host &h) : host(h), tempFile(h, paths), requests(channel, api, h) {}
    ProgramState(const ProgramState &) = delete;
    ProgramState &operator=(const ProgramState &) = delete;

    Host &host;
    // The file searched for at start-up; tests name a library of their own.
    QString linkLibraryName = QString::fromLatin1(kLinkLibraryName);
    int32_t libraryBound = 0;
    void *libraryHandle = nullptr;
    LinkApi api;
    LinkChannel channel;
    LinkSession session;
    ProgramPaths paths;
    TempFile tempFile;
    RecentFiles recentFiles;
    RequestLayer requests;
    // Set by the main window once the link tool bar exists.
    LinkStatusDisplay *linkStatus = nullptr;
};

} // namespace vestan
