#include "linesimprocess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace vestan::linesim::test {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kGuard = std::chrono::seconds(10);

std::string linesimBinary()
{
    if (const char *build = std::getenv("VESTAN_BUILD_DIR"))
        return std::string(build) + "/bin/linesim";
    // Run by hand from build/tests: bin/ is next door.
    return (std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "bin" /
            "linesim")
        .string();
}

int waitBounded(pid_t pid)
{
    const auto deadline = Clock::now() + kGuard;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return status;
        if (done < 0)
            return -1;
        if (Clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

Bytes randomBytes(std::size_t size, std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    Bytes bytes(size);
    for (auto &b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "linesim-test-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        path_ = pattern;
}

TempDir::~TempDir()
{
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

LinesimProcess::LinesimProcess(std::vector<std::string> args) : statsPath_(dir_.file("stats"))
{
    if (dir_.path().empty()) {
        failure_ = "no temporary folder";
        return;
    }
    args.insert(args.begin(), {linesimBinary(), "--stats", statsPath_});
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        failure_ = "pipe failed";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        pid_ = -1;
        failure_ = "cannot start " + args[0];
        return;
    }

    std::string text;
    const auto deadline = Clock::now() + kGuard;
    while (text.find("ready\n") == std::string::npos && Clock::now() < deadline) {
        pollfd fd{out[0], POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0)
            continue;
        char buffer[256];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("a=", 0) == 0)
            endA_ = line.substr(2);
        else if (line.rfind("b=", 0) == 0)
            endB_ = line.substr(2);
        else if (line == "ready")
            ready_ = !endA_.empty() && !endB_.empty();
    }
    if (!ready_)
        failure_ = "no ready line, got: " + text;
}

LinesimProcess::~LinesimProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

int LinesimProcess::stop(int signal)
{
    if (pid_ <= 0)
        return -1;
    kill(pid_, signal);
    return wait();
}

int LinesimProcess::wait()
{
    if (pid_ <= 0)
        return -1;
    const int status = waitBounded(pid_);
    if (status != -1)
        pid_ = -1;
    return status;
}

std::map<std::string, std::map<std::string, std::uint64_t>> LinesimProcess::stats() const
{
    std::map<std::string, std::map<std::string, std::uint64_t>> result;
    std::ifstream file(statsPath_);
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line);
        std::string direction;
        std::map<std::string, std::uint64_t> values;
        for (std::string word; words >> word;) {
            const auto eq = word.find('=');
            if (eq == std::string::npos)
                continue;
            const std::string key = word.substr(0, eq);
            const std::string value = word.substr(eq + 1);
            if (key == "direction")
                direction = value;
            else
                values[key] = std::stoull(value);
        }
        result[direction] = values;
    }
    return result;
}

LineEnd::LineEnd(const std::string &path)
{
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return;
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
}

LineEnd::~LineEnd()
{
    if (fd_ >= 0)
        close(fd_);
}

bool pump(std::vector<Flow *> flows)
{
    std::vector<std::uint8_t> buffer(1 << 16);
    auto lastProgress = Clock::now();
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<std::pair<Flow *, bool>> roles; // flow, writing
        bool done = true;
        for (Flow *f : flows) {
            if (f->written < f->out.size()) {
                fds.push_back({f->from->fd(), POLLOUT, 0});
                roles.push_back({f, true});
                done = false;
            }
            if (f->in.size() < f->expect) {
                fds.push_back({f->to->fd(), POLLIN, 0});
                roles.push_back({f, false});
                done = false;
            }
        }
        if (done)
            return true;
        if (Clock::now() - lastProgress > kGuard)
            return false;
        if (poll(fds.data(), fds.size(), 100) <= 0)
            continue;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            Flow *f = roles[i].first;
            if (roles[i].second && (fds[i].revents & POLLOUT)) {
                const ssize_t n = write(fds[i].fd, f->out.data() + f->written,
                                        std::min<std::size_t>(f->out.size() - f->written, 1 << 16));
                if (n > 0) {
                    f->written += static_cast<std::size_t>(n);
                    lastProgress = Clock::now();
                }
            } else if (!roles[i].second && (fds[i].revents & POLLIN)) {
                const std::size_t want = std::min(buffer.size(), f->expect - f->in.size());
                const ssize_t n = read(fds[i].fd, buffer.data(), want);
                if (n > 0) {
                    f->in.insert(f->in.end(), buffer.begin(), buffer.begin() + n);
                    lastProgress = Clock::now();
                }
            }
        }
    }
}

bool isSubsequence(const Bytes &part, const Bytes &whole)
{
    std::size_t j = 0;
    for (std::size_t i = 0; i < whole.size() && j < part.size(); ++i) {
        if (whole[i] == part[j])
            ++j;
    }
    return j == part.size();
}

} // namespace vestan::linesim::test
