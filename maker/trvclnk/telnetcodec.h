#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vestan::trvclnk::telnet {

inline constexpr uint8_t kIac = 255;
inline constexpr uint8_t kDont = 254;
inline constexpr uint8_t kDo = 253;
inline constexpr uint8_t kWont = 252;
inline constexpr uint8_t kWill = 251;
inline constexpr uint8_t kSb = 250;
inline constexpr uint8_t kSe = 240;

inline constexpr uint8_t kBinary = 0;
inline constexpr uint8_t kSuppressGoAhead = 3;
inline constexpr uint8_t kComPort = 44;

// Com Port Control commands, client to server; the server answers each with
// the command + 100.
inline constexpr uint8_t kSetBaudRate = 1;
inline constexpr uint8_t kSetDataSize = 2;
inline constexpr uint8_t kSetParity = 3;
inline constexpr uint8_t kSetStopSize = 4;
inline constexpr uint8_t kSetControl = 5;
inline constexpr uint8_t kServerReply = 100;

// Appends `data` as Telnet data: every 0xFF doubled.
void appendEscaped(std::vector<uint8_t> &out, const uint8_t *data, size_t size);
// Appends IAC verb option.
void appendNegotiation(std::vector<uint8_t> &out, uint8_t verb, uint8_t option);
// Appends one Com Port Control command with its value (escaped).
void appendComPortCommand(std::vector<uint8_t> &out, uint8_t command, const uint8_t *value,
                          size_t size);
// The opening a Com Port Control client sends: binary both ways, no go-ahead,
// and the offer to control the server's port.
std::vector<uint8_t> clientOpening();

// The server's side of a Telnet connection as the client reads it: data
// bytes out, commands never. Answers every option it is offered (yes to
// binary and suppress-go-ahead, no to anything else), answering only what
// changes an option's state, so two parties can never loop.
class TelnetReader
{
public:
    enum class ComPort
    {
        Unanswered,
        Accepted,
        Refused
    };

    TelnetReader();

    // Reads `size` bytes from the server: data to `data`, negotiation answers
    // to `answers` (to be sent back as they are).
    void feed(const uint8_t *in, size_t size, std::vector<uint8_t> &data,
              std::vector<uint8_t> &answers);

    ComPort comPort() const { return comPort_; }
    // The server's answer to a Com Port Control command (1 .. 12), when it came;
    // a baud rate as its number, the others as their byte.
    std::optional<uint32_t> reply(uint8_t command) const;

private:
    enum class State
    {
        Data,
        Command,
        Option,
        Sub,
        SubCommand
    };
    static bool wanted(uint8_t option);
    void negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t> &answers);
    void subnegotiation();

    State state_ = State::Data;
    uint8_t verb_ = 0;
    std::array<bool, 256> local_{};  // options we do (WILL)
    std::array<bool, 256> remote_{}; // options the server does (DO)
    std::array<bool, 256> askedLocal_{};
    std::array<bool, 256> askedRemote_{};
    ComPort comPort_ = ComPort::Unanswered;
    std::vector<uint8_t> sub_;
    bool subOverflow_ = false;
    std::array<std::optional<uint32_t>, 13> replies_{};
};

} // namespace vestan::trvclnk::telnet
