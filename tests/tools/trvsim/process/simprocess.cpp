#include "tests/tools/trvsim/process/simprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace vestan::test {

QString buildBinDir()
{
    return vestanBuildDir() + QStringLiteral("/bin");
}

SimProcess::SimProcess(const QStringList &arguments)
{
    if (!dir_.isValid()) {
        failure_ = QStringLiteral("no temporary directory");
        return;
    }
    linkPath_ = dir_.filePath(QStringLiteral("line"));
    if (!process_.start(buildBinDir() + QStringLiteral("/trvsim"),
                        QStringList{QStringLiteral("--link"), linkPath_} + arguments)) {
        failure_ = process_.failure();
        return;
    }
    // The first line says the line is ready and where it is.
    linePath_ = process_.nextLine(20000);
    if (linePath_.isEmpty()) {
        process_.terminate(1000);
        failure_ = process_.errorOutput();
        if (failure_.isEmpty())
            failure_ = QStringLiteral("trvsim did not report its line");
        return;
    }
    ready_ = true;
}

SimProcess::~SimProcess()
{
    kill();
}

void SimProcess::kill()
{
    process_.kill();
}

QString SimProcess::nextLine(int timeoutMs)
{
    return process_.nextLine(timeoutMs);
}

QStringList SimProcess::pendingLines()
{
    QStringList lines;
    for (QString line = process_.nextLine(0); !line.isNull(); line = process_.nextLine(0))
        lines.append(line);
    return lines;
}

RawLine::RawLine(const QString &path) : decoder_(line::kMaxPayload, false)
{
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
    if (fd_ < 0)
        return;
    termios t{};
    if (::tcgetattr(fd_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd_, TCSANOW, &t);
    }
    ::tcflush(fd_, TCIOFLUSH);
}

RawLine::~RawLine()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RawLine::write(const std::vector<uint8_t> &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

bool RawLine::readFrame(std::vector<uint8_t> &payload, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    uint8_t buffer[4096];
    for (;;) {
        if (decoder_.takeFrame(payload))
            return true;
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return false;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, int(left)) <= 0)
            return false;
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        decoder_.feed(buffer, size_t(n));
    }
}

std::vector<uint8_t> RawLine::readFor(int timeoutMs)
{
    std::vector<uint8_t> out;
    uint8_t buffer[4096];
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return out;
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            return out;
        out.insert(out.end(), buffer, buffer + n);
    }
}

} // namespace vestan::test
