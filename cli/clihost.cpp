#include "cli/clihost.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

namespace vestan {

CliHost::CliHost()
{
    clock_.start();
}

int CliHost::messageBox(const QString &caption, const QString &text, int style)
{
    const int buttons = style & 0x0F;
    if (!quiet) {
        endProgressLine();
        QString line = text;
        line.replace(u'\n', u' ');
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(line));
    }
    if (buttons == kMbYesNo || buttons == kMbYesNoCancel)
        return questionAnswer;
    return kIdOk;
}

void CliHost::processEvents()
{
    QCoreApplication::processEvents();
    if (onEvents)
        onEvents();
}

void CliHost::sleepMs(int milliseconds)
{
    QThread::msleep(ulong(qMax(0, milliseconds)));
}

quint32 CliHost::tickCount()
{
    return quint32(clock_.elapsed());
}

QString CliHost::programPath() const
{
    return QCoreApplication::applicationFilePath();
}

void CliHost::endProgressLine()
{
    if (progressShown)
        std::fputc('\n', stderr);
    progressShown = false;
}

void CliHost::showError(const QString &text)
{
    endProgressLine();
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
}

} // namespace vestan
