#include "cli/clihost.h"

#include "platform/terminal.h"

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
    const bool question = buttons == kMbYesNo || buttons == kMbYesNoCancel;
    // A question answered Yes beforehand (--force) is what the user asked
    // for: printing it would look like a question left open.
    if (!quiet && !(question && questionAnswer == kIdYes)) {
        endProgressLine();
        QString line = text;
        line.replace(u'\n', u' ');
        writeText(stderr, caption + QStringLiteral(": ") + line + u'\n');
    }
    if (question)
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
        writeText(stderr, QStringLiteral("\n"));
    progressShown = false;
}

void CliHost::showError(const QString &text)
{
    endProgressLine();
    writeText(stderr, text + u'\n');
}

} // namespace vestan
