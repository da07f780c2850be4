#pragma once

#include "platform/host.h"
#include "platform/programpaths.h"

#include <QString>
#include <cstdint>

namespace vestan {

inline constexpr int kFileNameCapacity = 1159;

// The one temporary transfer file: a transfer writes into it portion by
// portion and copies it to the user's file only when everything has arrived.
class TempFile
{
public:
    TempFile(Host &host, const ProgramPaths &paths) : host_(host), paths_(paths) {}
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    // The temporary directory (or the program's own) plus the program's name
    // with ".TMP"; empty, after a message, when no usable name can be made.
    QString MakeTempFileName(int capacity);

    void CreateTempFile();
    bool WriteTempFile(const uint8_t *bytes, uint16_t count);
    void CloseTempFile();
    void DeleteTempFile();
    QString TempFileName() const { return name_; }

    bool isRegistered() const { return registered_; }
    bool isOpen() const { return fd_ >= 0; }

private:
    void closeHandle();

    Host &host_;
    const ProgramPaths &paths_;
    QString name_;
    int fd_ = -1;
    bool registered_ = false;
};

} // namespace vestan
