#pragma once

#include <QString>

namespace vestan {

// A question as the window puts it in a message box.
struct Question
{
    QString caption;
    QString text;
    int style = 0;
};

// What the controller's software area is read as when it reports a size
// other than the two known ones.
enum class FlashSizeAnswer
{
    Standard, // the standard size instead
    Reported, // the size as reported
    Refused,  // not read at all
};

// The questions a transfer asks. The window answers them with message boxes
// and dialogs, the command line from its options; each is pure, so a question
// added here has no answer until both faces give one.
class TransferQuestions
{
public:
    virtual ~TransferQuestions() = default;

    // Whether and where the whole transfer is stored; empty: not stored.
    virtual QString storeAs() = 0;
    // Whether the existing file `target` gives way to the copy.
    virtual bool replace(const Question &question, const QString &target) = 0;
    // The copy failed: whether the temporary file holding it all goes.
    virtual bool deleteTemporary(const QString &temporaryFile) = 0;
    // The software area's size is neither of the known ones.
    virtual FlashSizeAnswer strangeFlashSize(const Question &question) = 0;
};

} // namespace vestan
