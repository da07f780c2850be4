#include "tests/tools/trvsim/process/simprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace vestan::test {

QString buildBinDir()
{
    const QString build = qEnvironmentVariable("VESTAN_BUILD_DIR");
    if (!build.isEmpty())
        return build + QStringLiteral("/bin");
    // Run by hand from build/tests: bin/ is a sibling.
    return QDir::cleanPath(QDir::currentPath() + QStringLiteral("/../bin"));
}

SimProcess::SimProcess(const QStringList &arguments)
{
    if (!dir_.isValid()) {
        failure_ = QStringLiteral("no temporary directory");
        return;
    }
    linkPath_ = dir_.filePath(QStringLiteral("line"));
    const QString program = buildBinDir() + QStringLiteral("/trvsim");
    if (!QFileInfo(program).isExecutable()) {
        failure_ = program + QStringLiteral(" is missing");
        return;
    }
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(program, QStringList{QStringLiteral("--link"), linkPath_} + arguments);
    if (!process_.waitForStarted(10000)) {
        failure_ = process_.errorString();
        return;
    }
    linePath_ = nextLine(20000);
    if (linePath_.isEmpty()) {
        process_.waitForFinished(1000);
        failure_ = QString::fromLocal8Bit(process_.readAllStandardError());
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
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString SimProcess::nextLine(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const qsizetype end = buffered_.indexOf('\n');
        if (end >= 0) {
            const QString line = QString::fromLocal8Bit(buffered_.left(end));
            buffered_.remove(0, end + 1);
            return line;
        }
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
            buffered_ += process_.readAllStandardOutput();
            if (buffered_.indexOf('\n') >= 0)
                continue;
            return QString();
        }
        if (process_.bytesAvailable() == 0)
            process_.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        buffered_ += process_.readAllStandardOutput();
    }
}

QStringList SimProcess::pendingLines()
{
    process_.waitForReadyRead(0);
    buffered_ += process_.readAllStandardOutput();
    QStringList lines;
    for (QString line = nextLine(0); !line.isNull(); line = nextLine(0))
        lines.append(line);
    return lines;
}

RawLine::RawLine(const QString &path) : decoder_(line::kMaxPayload)
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
