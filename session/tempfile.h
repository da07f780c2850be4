#pragma once

#include "platform/claimedfile.h"
#include "platform/host.h"
#include "session/programpaths.h"

#include <QString>
#include <cstdint>

namespace vestan {

inline constexpr int kFileNameCapacity = 1159;

// The one temporary transfer file: a transfer writes into it portion by
// portion and copies it to the user's file only when everything has arrived.
// The file stays claimed for as long as it is registered, closed or kept
// included, so another copy of the program can neither fill nor delete it.
class TempFile
{
public:
    TempFile(Host &host, const ProgramPaths &paths) : host_(host), paths_(paths) {}
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    // The user's own temporary directory (or the program's) plus the
    // program's name with ".TMP"; empty, after a message, when no usable
    // name can be made.
    QString MakeTempFileName(int capacity);

    void CreateTempFile();
    bool WriteTempFile(const uint8_t *bytes, uint16_t count);
    void CloseTempFile();
    void DeleteTempFile();
    QString TempFileName() const { return name_; }

    bool isRegistered() const { return registered_; }
    bool isOpen() const { return open_; }

private:
    Host &host_;
    const ProgramPaths &paths_;
    QString name_;
    ClaimedFile file_;
    bool open_ = false; // closed means no more writes; the claim stays
    bool registered_ = false;
};

} // namespace vestan
