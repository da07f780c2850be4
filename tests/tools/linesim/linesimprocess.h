#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vestan::linesim::test {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::size_t size, std::uint64_t seed);

// A temporary folder removed with everything in it at the end of the test.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// bin/linesim started with some options and a statistics file; it is killed
// if the test leaves it running.
class LinesimProcess
{
public:
    explicit LinesimProcess(std::vector<std::string> args);
    ~LinesimProcess();

    bool ready() const { return ready_; }
    const std::string &failure() const { return failure_; }
    const std::string &endA() const { return endA_; }
    const std::string &endB() const { return endB_; }
    const std::string &statsPath() const { return statsPath_; }
    pid_t pid() const { return pid_; }

    // Sends `signal` and waits (bounded) for the end; the wait status, or -1.
    int stop(int signal);
    // Waits (bounded) for the process to end by itself; the wait status, or -1.
    int wait();

    // key=value pairs of the closing statistics, by direction ("a_to_b", "b_to_a").
    std::map<std::string, std::map<std::string, std::uint64_t>> stats() const;

private:
    TempDir dir_;
    std::string statsPath_;
    pid_t pid_ = -1;
    bool ready_ = false;
    std::string failure_;
    std::string endA_;
    std::string endB_;
};

// A client's open line end: raw, non-blocking.
class LineEnd
{
public:
    explicit LineEnd(const std::string &path);
    ~LineEnd();
    LineEnd(const LineEnd &) = delete;
    LineEnd &operator=(const LineEnd &) = delete;
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

// One way of traffic for pump(): everything in `out` is written to `from`
// while `to` is read until `expect` bytes have arrived.
struct Flow
{
    Flow(LineEnd *from_, LineEnd *to_, Bytes out_, std::size_t expect_)
        : from(from_), to(to_), out(std::move(out_)), expect(expect_)
    {}

    LineEnd *from = nullptr;
    LineEnd *to = nullptr;
    Bytes out;
    std::size_t expect = 0;
    std::size_t written = 0;
    Bytes in;
};

// Runs all flows at once. False if nothing moved for several seconds before
// every flow was complete (a guard against hanging, not a speed check).
bool pump(std::vector<Flow *> flows);

// True if `part` can be obtained from `whole` by deleting bytes.
bool isSubsequence(const Bytes &part, const Bytes &whole);

} // namespace vestan::linesim::test
