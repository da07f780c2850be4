#include "tools/trvsim/lineserver.h"

#include "tools/trvsim/forgedburst.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace vestan::trvsim {
namespace {

// A frame that stops arriving for this long is given up.
constexpr int64_t kStallMs = 200;
// A reply nobody reads for this long is dropped.
constexpr int kWriteTimeoutMs = 2000;

int64_t monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

LineServer::LineServer(int fd, const SimOptions &options, Controller &controller, std::FILE *events)
    : LineServer(fd, options, {{options.net, &controller}}, events)
{}

LineServer::LineServer(int fd, const SimOptions &options, std::map<int, Controller *> controllers,
                       std::FILE *events)
    : fd_(fd), options_(options), controllers_(std::move(controllers)), events_(events),
      decoder_(kLinkBufferSize, false)
{
    if (options.modem)
        modem_ = std::make_unique<ModemEmulator>(options.modemFail, options.guardMs);
    frame_.reserve(70000);
}

Bytes LineServer::applyFaults(Bytes reply, const SimOptions &options)
{
    if (reply.size() < 4)
        return reply;
    const uint8_t command = reply[packet::kCommandAt];
    if (options.wrongCount && reply.size() >= packet::kQueryDataAt &&
        (command == CmdQuery || command == CmdBlock)) {
        // Keep the reply consistent in itself, only not what was asked.
        const size_t dataAt = command == CmdQuery ? packet::kQueryDataAt : packet::kBlockDataAt;
        size_t count = getU16(reply.data() + packet::kCountAt);
        if (count > 0 && reply.size() > dataAt) {
            --count;
            reply.pop_back();
        } else {
            ++count;
            reply.push_back(0);
        }
        putU16(reply.data() + packet::kCountAt, uint16_t(count));
    }
    if (options.foreignNet)
        reply[0] = uint8_t(reply[0] % 250 + 1);
    if (options.oversize > 0)
        reply.insert(reply.end(), options.oversize, uint8_t(0x5A));
    return reply;
}

bool LineServer::send(const uint8_t *data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, kWriteTimeoutMs) <= 0)
            return false; // nobody reads the line: drop the rest
    }
    return true;
}

bool LineServer::sendReply(const Bytes &payload)
{
    const Bytes reply = applyFaults(payload, options_);
    if (options_.replyDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(options_.replyDelayMs));
    frame_.clear();
    if (forges(reply))
        frame_ = forgeBurst(reply, reply[1] == 3 ? 10 : reply[1] == 1 ? 4 : 6, forged_);
    if (frame_.empty())
        line::appendFrame(frame_, reply.data(), std::min(reply.size(), line::kMaxPayload));
    else
        ++forged_;
    if (options_.byteGapMs <= 0)
        return send(frame_.data(), frame_.size());
    for (size_t i = 0; i < frame_.size(); ++i) {
        if (i > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(options_.byteGapMs));
        if (!send(&frame_[i], 1))
            return false;
    }
    return true;
}

bool LineServer::forges(const Bytes &reply) const
{
    const auto &f = options_.forgeBurst;
    if (!f || (f->times != 0 && forged_ >= f->times) || reply.size() < 4 ||
        getU16(&reply[packet::kObjectAt]) != f->code)
        return false;
    if (!f->byte)
        return true;
    if (reply[packet::kCommandAt] != CmdBlock || reply.size() < packet::kBlockDataAt)
        return false;
    const uint32_t count = getU16(&reply[packet::kCountAt]);
    const uint32_t offset = getU32(&reply[packet::kBlockOffsetAt]);
    return *f->byte >= offset && *f->byte - offset < count;
}

void LineServer::handleFrames()
{
    while (decoder_.takeFrame(payload_)) {
        if (payload_.empty())
            continue;
        const auto found = controllers_.find(payload_[0]);
        if (found == controllers_.end())
            continue; // another controller's business
        if (auto reply = found->second->handle(payload_.data(), payload_.size()))
            sendReply(*reply);
    }
}

void LineServer::reportEvents()
{
    if (!modem_ || events_ == nullptr)
        return;
    for (const std::string &event : modem_->takeEvents())
        std::fprintf(events_, "modem: %s\n", event.c_str());
    std::fflush(events_);
}

int LineServer::run(const std::atomic<bool> &stop)
{
    Bytes buffer(65536);
    while (!stop.load()) {
        const int64_t now = monotonicMs();
        int64_t deadline = -1;
        if (decoder_.framePending())
            deadline = lastByteMs_ + kStallMs;
        if (modem_ && modem_->nextDeadline() >= 0)
            deadline =
                deadline < 0 ? modem_->nextDeadline() : std::min(deadline, modem_->nextDeadline());
        // Wake now and then to notice `stop`.
        int timeout = 500;
        if (deadline >= 0)
            timeout = int(std::clamp<int64_t>(deadline - now, 0, 500));
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        const int64_t at = monotonicMs();
        if (ready == 0 || (p.revents & POLLIN) == 0) {
            if (p.revents & (POLLERR | POLLNVAL))
                return EIO;
            if (p.revents & POLLHUP) {
                // The other end of a tty went away; wait for it to come back.
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            if (modem_) {
                data_.clear();
                answer_.clear();
                modem_->idle(at, data_, answer_);
                if (!answer_.empty())
                    send(answer_.data(), answer_.size());
                decoder_.feed(data_.data(), data_.size());
                reportEvents();
            }
            if (decoder_.framePending() && at - lastByteMs_ >= kStallMs)
                decoder_.skipPending();
            handleFrames();
            continue;
        }
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            if (errno == EIO) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            return errno;
        }
        if (n == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        lastByteMs_ = at;
        if (modem_) {
            data_.clear();
            answer_.clear();
            modem_->receive(buffer.data(), size_t(n), at, data_, answer_);
            if (!answer_.empty())
                send(answer_.data(), answer_.size());
            reportEvents();
            if (!modem_->online() && data_.empty()) {
                // Command mode: nothing reaches the controller.
                continue;
            }
            decoder_.feed(data_.data(), data_.size());
        } else {
            decoder_.feed(buffer.data(), size_t(n));
        }
        handleFrames();
    }
    return 0;
}

} // namespace vestan::trvsim
