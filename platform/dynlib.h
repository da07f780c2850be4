#pragma once

#include <QString>

namespace vestan {

// Loading a shared library by path (or by bare name, which the platform's
// loader looks up in its own search order) and finding its entry points.
namespace dynlib {

using Handle = void *;
// An entry point as found; the caller casts it to its real signature.
using Symbol = void (*)();

// The library's handle, or nullptr when the file is missing or is no loadable
// library for this platform. Symbols are bound at once and kept local.
Handle load(const QString &path);
// nullptr when the library has no entry point of that name.
Symbol resolve(Handle library, const char *name);
// The full path of the loaded library or program that holds this code
// address (a function of its own); empty when the system cannot tell.
QString modulePath(const void *address);

} // namespace dynlib
} // namespace vestan
