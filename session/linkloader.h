#pragma once

#include "platform/dynlib.h"
#include "session/linkapi.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

namespace vestan {

class Host;
struct Session;

// One entry of an entry-point table: a name and the place that receives its
// address. A table ends with a mark whose name and place are both empty.
struct EntryPointPlace
{
    const char *name = nullptr;
    void *place = nullptr;
    // Writes an address into the place with the place's own function type.
    void (*store)(void *place, dynlib::Symbol address) = nullptr;
};

template <typename Fn> EntryPointPlace entryPointPlace(const char *name, Fn &place)
{
    return {name, &place, [](void *where, dynlib::Symbol address) {
                *static_cast<Fn *>(where) = reinterpret_cast<Fn>(address);
            }};
}

inline constexpr int kLinkEntryPointCount = 12;
using LinkEntryPointTable = std::array<EntryPointPlace, kLinkEntryPointCount + 1>;

// The link library's table over the members of api, in binding order (its
// numbering is that of the loader's result codes), closed by the end mark.
LinkEntryPointTable makeLinkEntryPointTable(LinkApi &api);

// Result of LoadAndBindLibrary when no place in the search list gave a library.
inline constexpr int32_t kLibraryNotFound = -4;
// Capacity of the TRV_DIR value, terminating zero included: a longer value is ignored.
inline constexpr int kTrvDirCapacity = 1111;

// The paths tried for library name, in order: beside the program, its _SYS
// subdirectory, the parent directory and its _SYS (not when the program sits
// in the root directory), trvDir and its _SYS (when set and short enough),
// then the bare name. Paths longer than a file-name buffer are left out.
QStringList linkLibrarySearchPaths(const QString &programPath, const QString &name,
                                   const QString &trvDir);

// Binds every entry of table from library: 0, or the number (from 1) of the
// first name the library lacks; that place and all after it are left empty.
int32_t BindEntryPoints(dynlib::Handle library, const EntryPointPlace *table);

// Searches for the library name (TRV_DIR read from the environment), loads the
// first place that loads and binds table from it. 0: bound, handle stored;
// k >= 1: the k-th name is missing (the library stays loaded); -4: not found.
// With reportErrors a failure is shown in one message box.
int32_t LoadAndBindLibrary(Host &host, const QString &name, dynlib::Handle &handle,
                           const EntryPointPlace *table, int reportErrors);

// Finds, loads and binds state.linkLibraryName into state.api; 0 or a code
// already shown to the user.
int32_t LoadLinkLibrary(Session &state);

// The start-up of the window and the command line alike: binds the library
// (with `bind`, LoadLinkLibrary unless a test gives its own), starts it and
// reads the port's speed. 0, or the binding's code already shown.
int32_t StartLinkLibrary(Session &state,
                         const std::function<int32_t(Session &)> &bind = LoadLinkLibrary);

} // namespace vestan
