#include "tests/support/scriptedhost.h"

#include <QCoreApplication>

namespace vestan::test {

int ScriptedHost::messageBox(const QString &caption, const QString &text, int style)
{
    int answer;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    } else {
        ++unexpectedBoxes;
        const int buttons = style & 0x0F;
        answer = buttons == kMbOk ? kIdOk : buttons == kMbYesNo ? kIdNo : kIdCancel;
    }
    boxes.push_back({caption, text, style, answer});
    if (onMessageBox)
        onMessageBox(boxes.back());
    return answer;
}

QString ScriptedHost::fileDialog(const FileDialogRequest &request)
{
    dialogs.push_back(request);
    if (fileAnswers.empty()) {
        ++unexpectedDialogs;
        return QString();
    }
    QString name = fileAnswers.front();
    fileAnswers.pop_front();
    return name;
}

void ScriptedHost::processEvents()
{
    ++processEventsCount;
    if (pumpQtEvents)
        QCoreApplication::processEvents();
    if (onProcessEvents)
        onProcessEvents();
}

void ScriptedHost::sleepMs(int milliseconds)
{
    sleeps.push_back(milliseconds);
    ticks += quint32(milliseconds);
}

} // namespace vestan::test
