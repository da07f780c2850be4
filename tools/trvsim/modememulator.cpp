#include "tools/trvsim/modememulator.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace vestan::trvsim {

ModemEmulator::ModemEmulator(std::string failWord, int guardMs)
    : failWord_(std::move(failWord)), guardMs_(guardMs)
{}

std::vector<std::string> ModemEmulator::takeEvents()
{
    return std::exchange(events_, {});
}

void ModemEmulator::say(const std::string &word, std::vector<uint8_t> &answer)
{
    const std::string text = "\r\n" + word + "\r\n";
    answer.insert(answer.end(), text.begin(), text.end());
}

void ModemEmulator::flushPluses(std::vector<uint8_t> &data)
{
    data.insert(data.end(), size_t(pluses_), uint8_t('+'));
    pluses_ = 0;
}

int64_t ModemEmulator::nextDeadline() const
{
    if (state_ == State::Online && pluses_ > 0)
        return lastPlusMs_ + guardMs_;
    return -1;
}

void ModemEmulator::idle(int64_t nowMs, std::vector<uint8_t> &data, std::vector<uint8_t> &answer)
{
    if (state_ != State::Online || pluses_ == 0 || nowMs < lastPlusMs_ + guardMs_)
        return;
    if (pluses_ == 3) {
        // Silence, "+++", silence: back to command mode, the call stays up.
        pluses_ = 0;
        state_ = State::Command;
        line_.clear();
        events_.push_back("ESCAPE");
        say("OK", answer);
    } else {
        flushPluses(data);
    }
}

void ModemEmulator::receive(const uint8_t *bytes, size_t size, int64_t nowMs,
                            std::vector<uint8_t> &data, std::vector<uint8_t> &answer)
{
    idle(nowMs, data, answer); // a guard time may have run out meanwhile
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = bytes[i];
        switch (state_) {
        case State::Command:
            commandByte(byte, answer);
            break;
        case State::Dialling:
            // Any character ends a dial in progress.
            state_ = State::Command;
            line_.clear();
            events_.push_back("DIAL ABORTED");
            say("NO CARRIER", answer);
            break;
        case State::Online: {
            const bool quietBefore = nowMs - lastByteMs_ >= guardMs_;
            if (byte == '+' && pluses_ < 3 && (pluses_ > 0 || quietBefore)) {
                ++pluses_;
                lastPlusMs_ = nowMs;
            } else {
                flushPluses(data);
                data.push_back(byte);
            }
            break;
        }
        }
        lastByteMs_ = nowMs;
    }
}

void ModemEmulator::commandByte(uint8_t byte, std::vector<uint8_t> &answer)
{
    if (echo_)
        answer.push_back(byte);
    if (byte == '\r') {
        const std::string line = line_;
        line_.clear();
        commandLine(line, answer);
    } else if (byte != '\n' && line_.size() < 256) {
        line_.push_back(char(byte));
    }
}

void ModemEmulator::commandLine(const std::string &raw, std::vector<uint8_t> &answer)
{
    std::string line;
    for (char c : raw)
        line.push_back(char(std::toupper(static_cast<unsigned char>(c))));
    const size_t at = line.find("AT");
    if (at == std::string::npos)
        return; // not a command: noise on the line
    const std::string command = line.substr(at + 2);
    if (!command.empty() && command[0] == 'D') {
        size_t from = 1;
        char mode = '-';
        if (from < command.size() && (command[from] == 'T' || command[from] == 'P'))
            mode = command[from++];
        events_.push_back(std::string("DIAL ") + mode + ' ' + command.substr(from));
        if (failWord_.empty()) {
            state_ = State::Online;
            connected_ = true;
            pluses_ = 0;
            events_.push_back("CONNECT");
            say("CONNECT 115200", answer);
        } else if (failWord_ == "SILENT") {
            state_ = State::Dialling;
        } else {
            events_.push_back(failWord_);
            say(failWord_, answer);
        }
        return;
    }
    if (!command.empty() && command[0] == 'H') {
        if (connected_)
            events_.push_back("HANGUP");
        connected_ = false;
        say("OK", answer);
        return;
    }
    if (!command.empty() && command[0] == 'O') {
        if (!connected_) {
            say("NO CARRIER", answer);
            return;
        }
        state_ = State::Online;
        pluses_ = 0;
        say("CONNECT 115200", answer);
        return;
    }
    if (command.find("E0") != std::string::npos)
        echo_ = false;
    if (command.find("E1") != std::string::npos)
        echo_ = true;
    if (command.find('Z') != std::string::npos)
        echo_ = true;
    say("OK", answer);
}

} // namespace vestan::trvsim
