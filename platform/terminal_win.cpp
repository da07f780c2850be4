#include "platform/terminal.h"

#include <io.h>
#include <windows.h>

namespace vestan {
namespace {

// The console behind the stream, or null for a file, a pipe or nothing.
HANDLE consoleOf(std::FILE *stream)
{
    const HANDLE handle = HANDLE(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

} // namespace

bool isTerminal(std::FILE *stream)
{
    return _isatty(_fileno(stream)) != 0;
}

void writeText(std::FILE *stream, const QString &text)
{
    std::fflush(stream);
    if (const HANDLE console = consoleOf(stream)) {
        // Bytes would pass through the console's code page (866 or 1251,
        // UTF-8 only half-way): the characters themselves do not.
        const auto *chars = reinterpret_cast<const wchar_t *>(text.utf16());
        for (qsizetype at = 0; at < text.size();) {
            DWORD written = 0;
            const DWORD n = DWORD(qMin<qsizetype>(text.size() - at, 8192));
            if (!WriteConsoleW(console, chars + at, n, &written, nullptr) || written == 0)
                return;
            at += written;
        }
        return;
    }
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

} // namespace vestan
