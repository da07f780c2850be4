#pragma once

#include "session/objecttransfer.h"

#include <QList>
#include <QString>
#include <cstdint>

namespace vestan {

struct Session;

// The sizes of the controller's journal header and data area.
struct JournalSizes
{
    uint32_t header = 0;
    uint32_t data = 0;
    bool headerOnly = false;
};

// Asks the controller for the header size and (unless only the header is
// wanted, or the run was stopped meanwhile) the data size; the request
// layer's result. The caller holds the running flag.
int RequestJournalSizes(Session &state, JournalSizes &sizes);

// The pieces of a journal download: the header, then the data area.
QList<TransferPiece> journalPieces(const JournalSizes &sizes);

// "Заголовок N" or "Заголовок N, данные M".
QString journalSizesText(const JournalSizes &sizes);

} // namespace vestan
