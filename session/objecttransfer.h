#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

namespace vestan {

struct Session;
class TransferQuestions;

// One object of a transfer and its size as the controller reported it.
struct TransferPiece
{
    uint16_t object = 0;
    uint32_t size = 0;
    QString operation; // the request layer's caption for its portions
};

uint64_t totalSize(const QList<TransferPiece> &pieces);

// What a face shows of a transfer under way.
class TransferObserver
{
public:
    virtual ~TransferObserver() = default;
    // After each reply of piece `index`, good or not: where its offset got to.
    virtual void replied(int index, uint32_t offsetAfter) { (void)index, (void)offsetAfter; }
    // A good portion before it is written; false refuses it and stops the run.
    virtual bool accept(int index, const uint8_t *data, uint16_t count, uint32_t offset)
    {
        (void)index, (void)data, (void)count, (void)offset;
        return true;
    }
    // After a good portion went into the temporary file: the bytes there,
    // and of them the bytes that came over the line.
    virtual void written(uint64_t inFile, uint64_t fetched) { (void)inFile, (void)fetched; }
};

// The one object transfer of the window and the command line: the pieces one
// after another into the temporary file, then stored under the name the
// questions give, or the temporary file kept when that fails and they say so.
// The caller holds the channel's running flag; clearing it stops the run
// before the next portion.
class ObjectTransfer
{
public:
    ObjectTransfer(Session &state, TransferQuestions &questions, TransferObserver &observer);

    // An open temporary file, made anew unless one is open already; false
    // when it could not be made (already shown).
    bool prepare();
    // Reads the pieces into the temporary file until one fails or the run
    // stops. `kept`: bytes of an earlier run; the first piece is read again
    // whole (for the observer to compare), of the others only what they lack.
    // After a failed write the portions are still read, but not written.
    void fetch(const QList<TransferPiece> &pieces, const QByteArray &kept = QByteArray());

    // Every byte of every piece arrived and went into the temporary file.
    bool complete() const;
    bool refused() const { return refused_; }
    bool writeOk() const { return written_; }
    uint64_t inFile() const { return inFile_; }

    // Asks where to store and copies the temporary file there (asking before
    // an existing file gives way): the name, or empty. When the copy fails,
    // asks whether the temporary file goes.
    QString store();
    // Deletes the temporary file unless the questions kept it.
    void finish();

    int error = 0; // 0, a request error, or 1 for a short reply

private:
    void write(const uint8_t *data, uint64_t count);

    Session &state_;
    TransferQuestions &questions_;
    TransferObserver &observer_;
    bool written_ = false;
    bool refused_ = false;
    bool deleteTemporary_ = true;
    uint64_t total_ = 0;
    uint64_t inFile_ = 0;
    uint64_t fetched_ = 0;
};

} // namespace vestan
