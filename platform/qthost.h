#pragma once

#include "platform/host.h"

#include <QElapsedTimer>
#include <QString>

namespace vestan {

// The real host: Qt message boxes and file dialogs, the event loop, the clock.
class QtHost : public Host
{
public:
    QtHost();

    int messageBox(const QString &caption, const QString &text, int style) override;
    QString fileDialog(const FileDialogRequest &request) override;
    void processEvents() override;
    void sleepMs(int milliseconds) override;
    quint32 tickCount() override;
    QDateTime localTime() override;
    QString programPath() const override;
    void showError(const QString &text) override;

private:
    QElapsedTimer clock_;
    // A dialog opened without a preset shows where the user last chose a
    // file, before that the user's documents.
    QString lastDirectory_[2];
    QString lastFileName_[2];
};

} // namespace vestan
