#pragma once

#include "tests/support/scriptedhost.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>

namespace vestan::test {

// A scripted host that answers what a transfer asks: Yes to storing, the
// given name in the save dialog, a chosen answer to the retry question; every
// other box comes from `answers` as in ScriptedHost. With realTime the pauses
// between attempts really pass and the tick count is the real clock.
class AutoHost : public ScriptedHost
{
public:
    int messageBox(const QString &caption, const QString &text, int style) override;
    QString fileDialog(const FileDialogRequest &request) override;
    void sleepMs(int milliseconds) override;
    quint32 tickCount() override;

    bool realTime = false;
    QString savePath;         // the answer of every save dialog; empty cancels
    int storeAnswer = kIdYes; // "Записать ... в файл"
    int retryAnswer = kIdNo;  // "... Повторить операцию?"
    int retryQuestions = 0;
    // Called when the retry question is asked, before it is answered.
    std::function<void()> onRetryQuestion;

private:
    QElapsedTimer clock_;
};

// Byte-for-byte comparison of two files in small pieces (large files are
// never read whole): empty when equal, else where they differ.
QString compareFiles(const QString &actual, const QString &expected);

} // namespace vestan::test
