#pragma once

#include "clock/ctldatetime.h"

#include <QString>
#include <cstdint>

namespace vestan {

struct Session;

// The clock and record-search requests with their texts, free of controls:
// the clock page and the command line both go through them. The caller holds
// the channel's running flag.

// Reads the controller's clock; false after the request layer's message.
bool readControllerClock(Session &state, CtlDateTime &clock);
// Sends the date and time with the day of week of the date when it is a real
// one; the request layer's result (0 when done). `sent` is what went out.
int setControllerClock(Session &state, const JournalDateTime &fields, CtlDateTime *sent = nullptr);

// "dd.mm.yyyy,  hh:mm:ss,mmm"
QString recordStampText(const JournalDateTime &t);

struct RecordSearchOutcome
{
    bool answered = false; // the controller answered with a record stamp
    RecordStamp found;     // number 0: no record found
    QString keyText;
    QString resultText; // the key text with the search's result
};

// The key text while the search runs.
QString recordSearchRunningText(const QString &keyText);
// Asks the controller for the record of the key's date and time.
RecordSearchOutcome searchRecord(Session &state, const JournalDateTime &stamp);

} // namespace vestan
