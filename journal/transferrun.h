#pragma once

#include "session/objecttransfer.h"
#include "session/runningflag.h"
#include "session/transferquestions.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace vestan {

class ProgressPanel;
class RecentFiles;
struct Session;

// What the window asks when a transfer is stored: whether to (a Yes/No
// box), then the file name (the save dialog), and when the copy fails
// whether the temporary file goes (keepQuestion, with its name for %s).
struct StoreTexts
{
    QString question;
    QString saveTitle;
    const char *keepQuestion = "";
};

// The window's answers to a transfer's questions: message boxes and the
// save dialog.
class WindowQuestions : public TransferQuestions
{
public:
    WindowQuestions(Session &state, const RecentFiles &recent, const StoreTexts &texts)
        : state_(state), recent_(recent), texts_(texts)
    {}

    QString storeAs() override;
    bool replace(const Question &question, const QString &target) override;
    bool deleteTemporary(const QString &temporaryFile) override;
    FlashSizeAnswer strangeFlashSize(const Question &question) override;

private:
    Session &state_;
    const RecentFiles &recent_;
    StoreTexts texts_;
};

// The window's side of the two long transfers (journal download, software
// image upload): the run flag taken with the object, the progress panel,
// the object transfer with the window's questions, and the end. The end (run
// flag cleared, panel hidden, status refreshed) happens when the object goes,
// on every path.
class TransferRun : private TransferObserver
{
public:
    TransferRun(Session &state, RecentFiles &recent, ProgressPanel &progress,
                const StoreTexts &texts);
    ~TransferRun() override;
    TransferRun(const TransferRun &) = delete;
    TransferRun &operator=(const TransferRun &) = delete;

    // Shows the panel; false, changing nothing, when another operation runs.
    bool start();
    bool running() const;
    TransferQuestions &questions() { return questions_; }

    // Takes the size request's result; true when it succeeded, the run goes
    // on and the temporary file is open for the first portion (a file that
    // could not be created has been shown).
    bool sized(int result)
    {
        error = result;
        return error == 0 && running() && transfer_.prepare();
    }
    // Progress range for `total` bytes in portions of the chosen size.
    void setProgressRange(uint64_t total);
    // Reads the pieces into the temporary file; `progressText` gives the
    // text after each portion from the piece's index and offset.
    void fetch(const QList<TransferPiece> &pieces,
               const std::function<QString(int index, uint32_t offsetAfter)> &progressText);

    // Whether all portions arrived and went into the temporary file.
    bool complete() const { return error == 0 && transfer_.complete(); }
    void showInfo(const QString &text);
    // Stores the temporary file as the questions say; the stored file's
    // name (now the newest recent file), or empty.
    QString store();
    // Deletes the temporary file unless the user chose to keep it.
    void dropTempFile() { transfer_.finish(); }

    int error = 0;

private:
    void replied(int index, uint32_t offsetAfter) override;

    Session &state_;
    RecentFiles &recent_;
    ProgressPanel &progress_;
    WindowQuestions questions_;
    ObjectTransfer transfer_;
    std::function<QString(int, uint32_t)> progressText_;
    RunningFlag running_; // declared last, so it is cleared (and redrawn) first
    uint32_t startTick_ = 0;
};

} // namespace vestan
