#pragma once

#include "platform/host.h"

#include <QElapsedTimer>
#include <functional>

namespace vestan {

// The host of the command line: a message box becomes one line on standard
// error, a question of the request layer (retry?) is answered No, which
// keeps a dead line from being retried forever by a script nobody watches;
// there are no dialogs. The transfers' questions go to CliQuestions.
class CliHost : public Host
{
public:
    CliHost();

    int messageBox(const QString &caption, const QString &text, int style) override;
    QString fileDialog(const FileDialogRequest &) override { return QString(); }
    void processEvents() override;
    void sleepMs(int milliseconds) override;
    quint32 tickCount() override;
    QDateTime localTime() override { return QDateTime::currentDateTime(); }
    QString programPath() const override;
    void showError(const QString &text) override;

    // Messages are kept quiet while scanning a line.
    bool quiet = false;
    // A progress line without its end stands on standard error: a message
    // starts on a line of its own.
    bool progressShown = false;
    void endProgressLine();
    // Runs wherever the window would process its messages: between portions
    // and between the attempts of a request, where a stop takes effect.
    std::function<void()> onEvents;

private:
    QElapsedTimer clock_;
};

} // namespace vestan
