#include "platform/terminal.h"

#include <unistd.h>

namespace vestan {

bool isTerminal(std::FILE *stream)
{
    return ::isatty(fileno(stream)) != 0;
}

void writeText(std::FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

} // namespace vestan
