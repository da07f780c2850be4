#pragma once

#include "platform/host.h"
#include "session/linkapi.h"
#include "session/linkchannel.h"
#include "session/linksession.h"
#include "session/programpaths.h"
#include "session/requestlayer.h"
#include "session/tempfile.h"

#include <QString>

namespace vestan {

// What the window and the command line share of the program's state: the
// host, the bound link library, the channel and its request layer, the link
// session values, the program's paths and the temporary transfer file.
// Nothing in it knows a control.
struct Session
{
    explicit Session(Host &h) : host(h), tempFile(h, paths), requests(channel, api, h) {}
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

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
    RequestLayer requests;
    // The window's link tool bar once it exists; none on the command line.
    LinkStatusDisplay *linkStatus = nullptr;
};

} // namespace vestan
