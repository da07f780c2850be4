#include "platform/dynlib.h"

#include <string>
#include <windows.h>

namespace vestan::dynlib {

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

QString modulePath(const void *address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return QString();
    // Long paths need more than MAX_PATH; grow until the name fits.
    for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
        std::wstring name(capacity, L'\0');
        const DWORD length = GetModuleFileNameW(module, name.data(), capacity);
        if (length == 0)
            return QString();
        if (length < capacity)
            return QString::fromWCharArray(name.data(), int(length));
    }
    return QString();
}

} // namespace vestan::dynlib
