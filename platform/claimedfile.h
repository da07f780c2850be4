#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace vestan {

// A file at a fixed name that this process alone fills. The claim is taken
// only on a plain file of this user that no other process holds, and it is
// held, with the handle, until released: a second copy of the program is
// refused for as long as the first one has any use for the file.
class ClaimedFile
{
public:
    ClaimedFile() = default;
    ~ClaimedFile() { release(); }
    ClaimedFile(const ClaimedFile &) = delete;
    ClaimedFile &operator=(const ClaimedFile &) = delete;

    // Creates the file or takes an unheld one over, and empties it. False,
    // holding nothing, when the file cannot be had.
    bool claim(const QString &path);
    // Empties a held file for a new transfer, keeping the claim.
    bool empty();
    // Appends all bytes at the end of what was written; false on any shortfall.
    bool write(const uint8_t *bytes, size_t count);
    // Removes the file from its directory when it is still the file claimed
    // (never one that took its name meanwhile), then releases the claim.
    void remove();
    void release();

    bool isClaimed() const { return fd_ >= 0; }
    const QString &path() const { return path_; }

private:
    QString path_;
    int fd_ = -1;
};

// A directory for the temporary files of this user alone: "vestan-<uid>" in
// the system's temporary directory (which follows TMPDIR; the session's
// runtime directory is a small memory disk, no place for a software image),
// made private to the user. Empty when it cannot be trusted (someone else's,
// a link).
QString userTempDirectory();

} // namespace vestan
