#include "maker/trvclnk/telnetcodec.h"

namespace vestan::trvclnk::telnet {
namespace {

// A Com Port Control subnegotiation is a few bytes; a longer one is noise
// and is dropped whole rather than kept.
constexpr size_t kMaxSub = 32;

} // namespace

void appendEscaped(std::vector<uint8_t> &out, const uint8_t *data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        out.push_back(data[i]);
        if (data[i] == kIac)
            out.push_back(kIac);
    }
}

void appendNegotiation(std::vector<uint8_t> &out, uint8_t verb, uint8_t option)
{
    // One byte at a time: GCC 12 for MinGW takes the inlined insert of an
    // initialiser list into an empty vector for an overflow.
    out.push_back(kIac);
    out.push_back(verb);
    out.push_back(option);
}

void appendComPortCommand(std::vector<uint8_t> &out, uint8_t command, const uint8_t *value,
                          size_t size)
{
    out.push_back(kIac);
    out.push_back(kSb);
    out.push_back(kComPort);
    // Every byte between SB and SE is data to Telnet, the command too.
    appendEscaped(out, &command, 1);
    appendEscaped(out, value, size);
    out.insert(out.end(), {kIac, kSe});
}

std::vector<uint8_t> clientOpening()
{
    std::vector<uint8_t> out;
    for (const uint8_t option : {kBinary, kSuppressGoAhead}) {
        appendNegotiation(out, kWill, option);
        appendNegotiation(out, kDo, option);
    }
    appendNegotiation(out, kWill, kComPort);
    return out;
}

TelnetReader::TelnetReader()
{
    // What clientOpening() asked for: the answers to these are acknowledgements.
    for (const uint8_t option : {kBinary, kSuppressGoAhead, kComPort})
        askedLocal_[option] = true;
    for (const uint8_t option : {kBinary, kSuppressGoAhead})
        askedRemote_[option] = true;
}

bool TelnetReader::wanted(uint8_t option)
{
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

std::optional<uint32_t> TelnetReader::reply(uint8_t command) const
{
    return command < replies_.size() ? replies_[command] : std::nullopt;
}

void TelnetReader::negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t> &answers)
{
    // DO and DONT are about what we do, WILL and WONT about what the server does.
    const bool ours = verb == kDo || verb == kDont;
    const bool enable = verb == kDo || verb == kWill;
    auto &state = ours ? local_ : remote_;
    auto &askedFor = ours ? askedLocal_ : askedRemote_;
    const uint8_t agree = ours ? kWill : kDo;
    const uint8_t refuse = ours ? kWont : kDont;
    const bool asked = askedFor[option];
    askedFor[option] = false;
    if (ours && option == kComPort)
        comPort_ = enable ? ComPort::Accepted : ComPort::Refused;
    // The server controls no port of ours.
    if (enable && (!wanted(option) || (!ours && option == kComPort))) {
        if (!asked)
            appendNegotiation(answers, refuse, option);
    } else if (state[option] != enable) {
        state[option] = enable;
        if (!asked)
            appendNegotiation(answers, enable ? agree : refuse, option);
    }
}

void TelnetReader::subnegotiation()
{
    if (subOverflow_ || sub_.size() < 2 || sub_[0] != kComPort || sub_[1] <= kServerReply)
        return;
    const uint8_t command = uint8_t(sub_[1] - kServerReply);
    if (command >= replies_.size())
        return;
    if (command == kSetBaudRate) {
        if (sub_.size() != 6)
            return;
        replies_[command] = uint32_t(sub_[2]) << 24 | uint32_t(sub_[3]) << 16 |
                            uint32_t(sub_[4]) << 8 | uint32_t(sub_[5]);
    } else if (sub_.size() >= 3) {
        replies_[command] = sub_[2];
    }
}

void TelnetReader::feed(const uint8_t *in, size_t size, std::vector<uint8_t> &data,
                        std::vector<uint8_t> &answers)
{
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = in[i];
        switch (state_) {
        case State::Data:
            if (byte == kIac)
                state_ = State::Command;
            else
                data.push_back(byte);
            break;
        case State::Command:
            if (byte == kIac) {
                data.push_back(kIac);
                state_ = State::Data;
            } else if (byte >= kWill && byte <= kDont) {
                verb_ = byte;
                state_ = State::Option;
            } else if (byte == kSb) {
                sub_.clear();
                subOverflow_ = false;
                state_ = State::Sub;
            } else {
                // NOP, data mark, break, go-ahead and the like carry nothing
                // for a byte line.
                state_ = State::Data;
            }
            break;
        case State::Option:
            negotiate(verb_, byte, answers);
            state_ = State::Data;
            break;
        case State::Sub:
            if (byte == kIac) {
                state_ = State::SubCommand;
            } else if (sub_.size() < kMaxSub) {
                sub_.push_back(byte);
            } else {
                subOverflow_ = true;
            }
            break;
        case State::SubCommand:
            if (byte == kIac) {
                if (sub_.size() < kMaxSub)
                    sub_.push_back(kIac);
                else
                    subOverflow_ = true;
                state_ = State::Sub;
            } else {
                // IAC SE ends it; any other command ends it as well, broken.
                if (byte == kSe)
                    subnegotiation();
                state_ = State::Data;
            }
            break;
        }
    }
}

} // namespace vestan::trvclnk::telnet
