#pragma once

#include <QString>
#include <memory>

class QFile;

namespace vestan {

class Host;
class RecentFiles;

// Checks the start of a journal file with the journal-check library. 0: it
// is a journal, and with `handle` the file is handed back open for reading.
// Any other result: the user has been told why and the file is closed.
int CheckJournalFile(Host &host, const QString &name, std::unique_ptr<QFile> *handle);

// 0 when the file passed the check; it is then closed and its name is at
// the top of the recent list. 1 otherwise.
int AcceptJournalFile(Host &host, RecentFiles &recent, const QString &name);

} // namespace vestan
