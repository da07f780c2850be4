#pragma once

#include "protocol/protocol.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace vestan {

// The texts of the information page, made from the bytes the controller and
// the journal-check library hand over.

// A 7-byte JournalDateTime (year LE, month, day, hours, minutes, seconds), or
// null for none (empty text). At most 28 characters.
QString FormatJournalDateTime(const uint8_t *record);

// The request-handler version line from the 8 bytes of object 0x0B03.
QString formatHandlerVersion(const uint8_t *data);

// The controller version text of a JournalHeader record (kJournalHeaderRecordSize bytes).
QString controllerVersionText(const uint8_t *journalHeader);

// The eleven summary lines of a JournalHeader record, aligned for a fixed-pitch font.
QStringList journalHeaderSummary(const uint8_t *journalHeader);

// The power line from the 12 bytes of object 0x0C04.
QString formatPowerReadings(const uint8_t *data);

} // namespace vestan
