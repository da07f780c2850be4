#pragma once

#include "platform/host.h"

#include <QDateTime>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace vestan::test {

struct RecordedBox
{
    QString caption;
    QString text;
    int style = 0;
    int answer = 0;
};

// A host for tests: answers message boxes and file dialogs from queues,
// records everything it was asked, and runs on virtual time.
class ScriptedHost : public Host
{
public:
    int messageBox(const QString &caption, const QString &text, int style) override;
    QString fileDialog(const FileDialogRequest &request) override;
    void processEvents() override;
    void sleepMs(int milliseconds) override;
    quint32 tickCount() override { return ticks; }
    QDateTime localTime() override { return now; }
    QString programPath() const override { return path; }
    void showError(const QString &text) override { errors.push_back(text); }

    // Answers for the next boxes, in order. When the queue is empty a box is
    // answered with OK for an OK box and Cancel/No otherwise, and counted as unexpected.
    std::deque<int> answers;
    // Names for the next file dialogs; an empty string cancels.
    std::deque<QString> fileAnswers;
    // Called inside processEvents and for every box (after recording it),
    // so a test can press the stop button at the right moment.
    std::function<void()> onProcessEvents;
    std::function<void(const RecordedBox &)> onMessageBox;
    // Also run Qt's own event processing in processEvents.
    bool pumpQtEvents = false;

    std::vector<RecordedBox> boxes;
    std::vector<FileDialogRequest> dialogs;
    std::vector<QString> errors;
    std::vector<int> sleeps;
    int processEventsCount = 0;
    int unexpectedBoxes = 0;
    int unexpectedDialogs = 0;
    quint32 ticks = 1000;
    QDateTime now = QDateTime(QDate(2008, 5, 14), QTime(9, 30, 0));
    QString path = QStringLiteral("/opt/vestan/bin/vestan");
};

} // namespace vestan::test
