#pragma once

#include "maker/trvclnk/framecodec.h"
#include "tests/support/linerig.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <vector>

namespace vestan::test {

// The build's bin/ folder.
QString buildBinDir();

// trvsim running as a child process for one test, behind a link in a
// temporary directory of its own (a ChildProcess: it dies with the test).
class SimProcess
{
public:
    // Starts bin/trvsim with --link <temp dir>/line and the given options and
    // waits for its first line (the line's path).
    explicit SimProcess(const QStringList &arguments);
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool ready() const { return ready_; }
    // Why it is not ready: trvsim's own error output, or what went wrong.
    QString failure() const { return failure_; }
    // The stable link to the line, and the pseudo-terminal it points at.
    QString linkPath() const { return linkPath_; }
    QString linePath() const { return linePath_; }
    QString tempDir() const { return dir_.path(); }

    // The next line trvsim prints (modem events), or a null string when none
    // comes within timeoutMs.
    QString nextLine(int timeoutMs = 5000);
    // Every line printed so far that was not read yet.
    QStringList pendingLines();

    void kill();

private:
    QTemporaryDir dir_;
    ChildProcess process_;
    QString linkPath_;
    QString linePath_;
    QString failure_;
    bool ready_ = false;
};

// A raw client on the line for tests that talk frames without the library.
class RawLine
{
public:
    explicit RawLine(const QString &path);
    ~RawLine();
    bool isOpen() const { return fd_ >= 0; }
    bool write(const std::vector<uint8_t> &bytes);
    // Reads one whole good frame's payload; false when none comes in time.
    bool readFrame(std::vector<uint8_t> &payload, int timeoutMs = 3000);
    // Reads whatever bytes arrive until `timeoutMs` of silence.
    std::vector<uint8_t> readFor(int timeoutMs);
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    line::FrameDecoder decoder_;
};

} // namespace vestan::test
