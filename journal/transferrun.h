#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace vestan {

class ProgressPanel;
struct ProgramState;

// The steps the two long transfers (journal download, software image upload)
// share: taking the run flag, the progress panel, the temporary file, the
// portion loops that fill it, storing it under the user's name, and the end.
// The end (run flag cleared, panel hidden, status refreshed) happens when the
// object goes, on every path.
class TransferRun
{
public:
    TransferRun(ProgramState &state, ProgressPanel &progress);
    ~TransferRun();
    TransferRun(const TransferRun &) = delete;
    TransferRun &operator=(const TransferRun &) = delete;

    // False, changing nothing, when another operation runs.
    bool start();
    bool running() const;

    // Before the first portion: an open temporary file, made anew unless one
    // is open already. False when it could not be created (already shown).
    bool prepareTempFile();
    // Progress range for `total` bytes in portions of the chosen size.
    void setProgressRange(uint64_t total);
    // Reads one object into the temporary file, unless an error came before;
    // `progressText` gives the text after each portion from the offset.
    void readObject(uint16_t objectCode, uint32_t size, const QString &operationName,
                    const std::function<QString(uint32_t offsetAfter)> &progressText);

    // Whether all portions arrived and went into the temporary file.
    bool complete() const { return writeOk && error == 0; }
    void showInfo(const QString &text);
    // Asks whether to store, asks for a name and copies the temporary file
    // there. The stored file's name, or empty. `keepQuestion` names the
    // temporary file when the copy was not done.
    QString store(const QString &question, const QString &saveTitle, const char *keepQuestion);
    // Deletes the temporary file unless the user chose to keep it.
    void dropTempFile();

    int error = 0;
    bool writeOk = false;
    bool deleteTemp = true;

private:
    void refresh();

    ProgramState &state_;
    ProgressPanel &progress_;
    uint32_t startTick_ = 0;
    bool started_ = false;
};

} // namespace vestan
