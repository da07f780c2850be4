#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vestan::trvsim {

// A Hayes-style modem before the controller. In command mode it answers AT
// command lines; a dial connects (or fails with the configured word), and
// from then on bytes pass through to the controller until "+++" framed by
// guard times of silence returns it to command mode, where ATH hangs up and
// ATO goes back on line. Time is given by the caller in milliseconds.
class ModemEmulator
{
public:
    // failWord: empty to connect, else BUSY, NO CARRIER, NO DIALTONE,
    // NO ANSWER, or SILENT (the dial is never answered).
    ModemEmulator(std::string failWord, int guardMs);

    // Bytes from the line. Bytes for the controller are appended to `data`,
    // the modem's own answers to `answer`.
    void receive(const uint8_t *bytes, size_t size, int64_t nowMs, std::vector<uint8_t> &data,
                 std::vector<uint8_t> &answer);
    // Nothing arrived up to nowMs: runs the escape guard timer.
    void idle(int64_t nowMs, std::vector<uint8_t> &data, std::vector<uint8_t> &answer);
    // When idle() next has something to do; -1 for never.
    int64_t nextDeadline() const;

    bool online() const { return state_ == State::Online; }
    bool connected() const { return connected_; }
    // Things that happened ("DIAL T 5551234", "CONNECT", "ESCAPE", "HANGUP",
    // "BUSY", "DIAL ABORTED", ...),
    // oldest first; taking them empties the list.
    std::vector<std::string> takeEvents();

private:
    enum class State
    {
        Command,
        Dialling,
        Online
    };

    void commandByte(uint8_t byte, std::vector<uint8_t> &answer);
    void commandLine(const std::string &line, std::vector<uint8_t> &answer);
    void say(const std::string &word, std::vector<uint8_t> &answer);
    void flushPluses(std::vector<uint8_t> &data);

    std::string failWord_;
    int guardMs_;
    State state_ = State::Command;
    bool connected_ = false;
    bool echo_ = true;
    std::string line_;
    int pluses_ = 0;         // '+' held back as a possible escape
    int64_t lastByteMs_ = 0; // last byte seen on line
    int64_t lastPlusMs_ = 0;
    std::vector<std::string> events_;
};

} // namespace vestan::trvsim
