#include "session/objecttransfer.h"

#include "session/copyormove.h"
#include "session/portionloop.h"
#include "session/session.h"
#include "session/transferquestions.h"

#include <algorithm>
#include <numeric>

namespace vestan {

uint64_t totalSize(const QList<TransferPiece> &pieces)
{
    return std::accumulate(pieces.begin(), pieces.end(), uint64_t(0),
                           [](uint64_t sum, const TransferPiece &p) { return sum + p.size; });
}

ObjectTransfer::ObjectTransfer(Session &state, TransferQuestions &questions,
                               TransferObserver &observer)
    : state_(state), questions_(questions), observer_(observer)
{}

bool ObjectTransfer::prepare()
{
    TempFile &temp = state_.tempFile;
    // A file kept from an earlier transfer is registered but closed: it is
    // made anew under the same name rather than left without a handle.
    if (!temp.isRegistered() || !temp.isOpen())
        temp.CreateTempFile();
    written_ = temp.isRegistered();
    return written_;
}

void ObjectTransfer::write(const uint8_t *data, uint64_t count)
{
    // A failed write has shown its message and dropped the file; nothing
    // more is written.
    for (uint64_t at = 0; written_ && at < count;) {
        const uint16_t n = uint16_t(std::min<uint64_t>(count - at, 0xFFFF));
        written_ = state_.tempFile.WriteTempFile(data + at, n);
        at += n;
    }
    inFile_ += written_ ? count : 0;
}

void ObjectTransfer::fetch(const QList<TransferPiece> &pieces, const QByteArray &kept)
{
    total_ = totalSize(pieces);
    const auto *keptBytes = reinterpret_cast<const uint8_t *>(kept.constData());
    const uint64_t keptSize = uint64_t(kept.size());
    uint64_t start = 0; // where the piece begins in the file
    for (int i = 0; i < pieces.size() && error == 0 && state_.channel.running != 0; ++i) {
        const TransferPiece &p = pieces[i];
        uint32_t from = 0;
        if (i > 0 && keptSize > start) {
            from = uint32_t(std::min<uint64_t>(keptSize - start, p.size));
            write(keptBytes + start, from);
        }
        PortionHooks hooks;
        hooks.afterReply = [&](uint32_t offsetAfter, uint16_t) {
            observer_.replied(i, offsetAfter);
        };
        hooks.consume = [&](const uint8_t *data, uint16_t count, uint32_t offset) {
            if (!observer_.accept(i, data, count, offset)) {
                refused_ = true;
                state_.channel.running = 0;
                return;
            }
            write(data, count);
            fetched_ += count;
            observer_.written(inFile_, fetched_);
        };
        error = readPortions(state_, p.object, p.size, p.operation, hooks, from).error;
        start += p.size;
    }
}

bool ObjectTransfer::complete() const
{
    return written_ && error == 0 && !refused_ && inFile_ == total_;
}

QString ObjectTransfer::store()
{
    const QString target = questions_.storeAs();
    if (target.isEmpty())
        return QString();
    TempFile &temp = state_.tempFile;
    temp.CloseTempFile();
    if (CopyOrMoveFile(state_, kCopyFile, temp.TempFileName(), target, questions_))
        return target;
    deleteTemporary_ = questions_.deleteTemporary(temp.TempFileName());
    return QString();
}

void ObjectTransfer::finish()
{
    if (deleteTemporary_)
        state_.tempFile.DeleteTempFile();
}

} // namespace vestan
