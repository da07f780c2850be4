#include "tests/support/testsystem.h"

#include "platform/codepage.h"

#include <windows.h>

namespace vestan::test {

bool isWindows()
{
    return true;
}

const char *tempVariable()
{
    return "TMP";
}

const char *userConfigVariable()
{
    return "APPDATA";
}

QString userSettingsName()
{
    return QStringLiteral("Vestan");
}

const char *withoutLinuxFiles()
{
    return "Windows has no file modes, file size limit or symbolic links to check this with";
}

unsigned userId()
{
    return 0;
}

bool setFileMode(const QString &, unsigned)
{
    return false;
}

unsigned fileMode(const QString &)
{
    return ~0u;
}

bool giveToNobody(const QString &)
{
    return false;
}

int asPlainUser(const std::function<int()> &act)
{
    return act();
}

FileSizeLimit::FileSizeLimit(uint64_t bytes) : previous_(bytes) {}

FileSizeLimit::~FileSizeLimit() = default;

QString exportedNameOf(const void *address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return QString();
    // The module's export table: names, their ordinals, the ordinals' addresses.
    const auto *base = reinterpret_cast<const uint8_t *>(module);
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0)
        return QString();
    const auto *exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + dir.VirtualAddress);
    const auto *names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
    const auto *ordinals = reinterpret_cast<const WORD *>(base + exports->AddressOfNameOrdinals);
    const auto *functions = reinterpret_cast<const DWORD *>(base + exports->AddressOfFunctions);
    const auto rva = DWORD(static_cast<const uint8_t *>(address) - base);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        if (functions[ordinals[i]] == rva)
            return QString::fromLatin1(reinterpret_cast<const char *>(base + names[i]));
    return QString();
}

QByteArray onDisk(const QByteArray &utf8)
{
    return toCp1251(QString::fromUtf8(utf8).replace(u'\n', QStringLiteral("\r\n")));
}

std::size_t pageSize()
{
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return std::size_t(info.dwPageSize);
}

uint8_t *allocatePages(std::size_t span)
{
    return static_cast<uint8_t *>(
        VirtualAlloc(nullptr, span, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void protectPage(uint8_t *page)
{
    DWORD previous = 0;
    VirtualProtect(page, pageSize(), PAGE_NOACCESS, &previous);
}

void freePages(uint8_t *base, std::size_t)
{
    VirtualFree(base, 0, MEM_RELEASE);
}

} // namespace vestan::test
