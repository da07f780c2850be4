#include "platform/dynlib.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QFile>
#include <dlfcn.h>
#endif

namespace vestan::dynlib {

#ifdef _WIN32

Handle load(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    // No "cannot load" dialog boxes from the system: a bad place is just not found.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t *>(path.utf16()));
    SetErrorMode(previousMode);
    return module;
}

Symbol resolve(Handle library, const char *name)
{
    return reinterpret_cast<Symbol>(GetProcAddress(static_cast<HMODULE>(library), name));
}

#else

Handle load(const QString &path)
{
    // An empty name would give the program itself.
    if (path.isEmpty())
        return nullptr;
    return dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
}

Symbol resolve(Handle library, const char *name)
{
    return reinterpret_cast<Symbol>(dlsym(library, name));
}

#endif

} // namespace vestan::dynlib
