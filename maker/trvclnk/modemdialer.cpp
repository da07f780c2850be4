#include "maker/trvclnk/modemdialer.h"

#include "maker/trvclnk/linkerrors.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace vestan::trvclnk {

ModemDialer::ModemDialer(ByteChannel &channel, const PortSettings &settings)
    : channel_(channel), settings_(settings)
{}

bool ModemDialer::isDialable(const QByteArray &phone)
{
    static constexpr std::string_view kDialable = "0123456789 +*#,()-./WwPpTt!@";
    return std::all_of(phone.begin(), phone.end(),
                       [](char c) { return kDialable.find(c) != std::string_view::npos; });
}

QByteArray ModemDialer::dialString(const QByteArray &phone)
{
    return phone.trimmed();
}

bool ModemDialer::send(const QByteArray &text)
{
    const int timeout = int(settings_.lineTimeMs(text.size()) + settings_.modemTimeoutMs);
    return channel_.write(reinterpret_cast<const uint8_t *>(text.constData()), size_t(text.size()),
                          timeout) == ByteChannel::Status::Ok;
}

ModemDialer::Result ModemDialer::classify(const QByteArray &line)
{
    const QByteArray word = line.trimmed().toUpper();
    if (word == "OK")
        return Result::Ok;
    if (word.startsWith("CONNECT"))
        return Result::Connect;
    if (word == "BUSY")
        return Result::Busy;
    if (word == "NO CARRIER")
        return Result::NoCarrier;
    if (word == "NO DIALTONE" || word == "NO DIAL TONE")
        return Result::NoDialtone;
    if (word == "NO ANSWER")
        return Result::NoAnswer;
    if (word == "ERROR")
        return Result::Error;
    // Echoed commands, RING and information texts end nothing.
    return Result::None;
}

ModemDialer::Result ModemDialer::waitResult(int timeoutMs)
{
    const int64_t deadline = channel_.nowMs() + timeoutMs;
    std::array<uint8_t, 256> buffer{};
    for (;;) {
        qsizetype end;
        while ((end = pending_.indexOf('\n')) >= 0 || (end = pending_.indexOf('\r')) >= 0) {
            const QByteArray line = pending_.left(end);
            pending_.remove(0, end + 1);
            const Result result = classify(line);
            if (result != Result::None)
                return result;
        }
        if (pending_.size() > 1024)
            pending_.clear(); // no answer line is that long: noise
        const int64_t left = deadline - channel_.nowMs();
        if (left <= 0)
            return Result::None;
        size_t received = 0;
        if (channel_.read(buffer.data(), buffer.size(), int(left), received) ==
            ByteChannel::Status::Failed)
            return Result::None;
        pending_.append(reinterpret_cast<const char *>(buffer.data()), qsizetype(received));
    }
}

int32_t ModemDialer::dial(const QByteArray &phone)
{
    channel_.discardInput();
    pending_.clear();
    const QByteArray init = settings_.modemInit.toLatin1().trimmed();
    if (!init.isEmpty()) {
        if (!send(init + '\r'))
            return kErrModemNoResponse;
        switch (waitResult(settings_.modemTimeoutMs)) {
        case Result::Ok:
            break;
        case Result::None:
            return kErrModemNoResponse;
        default:
            return kErrModemError;
        }
    }
    const QByteArray command = "ATD" + QByteArray(1, settings_.dial) + dialString(phone) + '\r';
    if (!send(command))
        return kErrModemNoResponse;
    const Result result = waitResult(settings_.dialTimeoutMs);
    pending_.clear();
    switch (result) {
    case Result::Connect:
        return kOk;
    case Result::Busy:
        return kErrModemBusy;
    case Result::NoCarrier:
        return kErrModemNoCarrier;
    case Result::NoDialtone:
        return kErrModemNoDialtone;
    case Result::NoAnswer:
        return kErrModemNoAnswer;
    case Result::None:
        // Any character ends a dial in progress.
        send("\r");
        return kErrModemDialTimeout;
    default:
        return kErrModemError;
    }
}

int32_t ModemDialer::hangUp()
{
    pending_.clear();
    channel_.pauseMs(settings_.guardTimeMs);
    channel_.discardInput();
    if (!send("+++"))
        return kErrModemNoResponse;
    // The modem answers only after a guard time of silence of its own.
    const bool escaped = waitResult(settings_.guardTimeMs + settings_.modemTimeoutMs) == Result::Ok;
    if (!send("ATH\r"))
        return kErrModemNoResponse;
    const Result result = waitResult(settings_.modemTimeoutMs);
    if (result == Result::Ok || result == Result::NoCarrier)
        return kOk;
    return escaped ? kErrModemError : kErrModemNoResponse;
}

} // namespace vestan::trvclnk
