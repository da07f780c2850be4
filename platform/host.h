#pragma once

#include <QDateTime>
#include <QString>

namespace vestan {

// Message box styles and answers, as the Windows message-box values that the
// program's texts were written against.
enum MessageStyle : int
{
    kMbOk = 0x00,
    kMbYesNoCancel = 0x03,
    kMbYesNo = 0x04,
    kMbIconStop = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconExclamation = 0x30,
};

enum MessageAnswer : int
{
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

enum class FileDialogKind
{
    Save,
    Open
};

struct FileDialogRequest
{
    FileDialogKind kind = FileDialogKind::Open;
    QString title;
    // Empty directory and file name keep what the dialog showed last time.
    QString directory;
    QString fileName;
    // Qt filter form: "Журнал (*.dat);;Все файлы (*.*, *) (*.* *)".
    QString filter;
};

// Everything that waits on a person or on time. The Qt implementation shows
// real dialogs; tests script the answers and run on virtual time.
class Host
{
public:
    virtual ~Host() = default;

    // Modal box; style is a combination of MessageStyle values; returns a MessageAnswer.
    virtual int messageBox(const QString &caption, const QString &text, int style) = 0;
    // Returns the accepted file name, or an empty string when the user cancelled.
    virtual QString fileDialog(const FileDialogRequest &request) = 0;
    // Processes all pending window messages.
    virtual void processEvents() = 0;
    virtual void sleepMs(int milliseconds) = 0;
    // Milliseconds of a monotonic clock; wraps at 2^32 like the system tick count.
    virtual quint32 tickCount() = 0;
    virtual QDateTime localTime() = 0;
    // The running program's full path.
    virtual QString programPath() const = 0;
    // The application's standard error display for an exception that escaped a handler.
    virtual void showError(const QString &text) = 0;
};

} // namespace vestan
