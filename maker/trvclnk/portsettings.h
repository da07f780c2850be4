#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace vestan::trvclnk {

inline constexpr int kPortCount = 256; // COM1 .. COM256

// One port's line and modem parameters, as kept in section [COMn] of
// trvCLNK.ini (n = port index + 1).
struct PortSettings
{
    QString device;             // Device: a path; default /dev/ttyS<port index> or \\.\COM<n>
    uint32_t baud = 115200;     // Baud
    int dataBits = 8;           // DataBits: 5 .. 8
    char parity = 'N';          // Parity: N, E, O, M, S
    int stopBits = 1;           // StopBits: 1 or 2
    int replyTimeoutMs = 1000;  // ReplyTimeoutMs: beyond the time the bytes need on the line
    int interByteTimeoutMs = 0; // InterByteTimeoutMs: 0 = derived from the speed
    QString modemInit = QStringLiteral("ATE0V1X4"); // ModemInit, sent before dialling
    char dial = 'T';                                // Dial: T tone, P pulse
    int dialTimeoutMs = 60000;                      // DialTimeoutMs: dial command to CONNECT
    int modemTimeoutMs = 3000; // ModemTimeoutMs: any other modem command to its answer
    int guardTimeMs = 1000;    // GuardTimeMs: silence around "+++"
    // ConnectTimeoutMs: a network port's connection and its Com Port Control
    // set-up, each at most this long.
    int connectTimeoutMs = 5000;
    // ReadAhead: 1 sends the next block read of a sequential walk as soon as
    // the current reply is whole, before the program asks for it; 0 never.
    bool readAhead = true;
    // A reply followed on the line by bytes that are no frame start is read
    // once more and handed over when two readings agree. Not a key of the
    // file: only the bench switches it off, to show what it catches.
    bool readDoubtfulTwice = true;

    friend bool operator==(const PortSettings &, const PortSettings &) = default;

    // Bits on the line per character (start, data, parity, stop).
    int bitsPerCharacter() const;
    // Milliseconds that `bytes` need on the line at this speed, rounded up.
    int64_t lineTimeMs(int64_t bytes) const;
    // The inter-byte time-out actually used.
    int effectiveInterByteTimeoutMs() const;
    // The parity's place in N, O, E, M, S (0 for a letter it is not), the
    // order Windows and the Com Port Control option (from 1) number them in.
    int parityIndex() const;
};

QString sectionName(int port);
PortSettings defaultPortSettings(int port);
bool isValidPort(int port);

// Reads a port's settings; `value(key)` gives the stored text, or nothing
// when the key is missing. Unreadable values keep their defaults.
using SettingReader = std::function<std::optional<QString>(const QString &key)>;
PortSettings readPortSettings(int port, const SettingReader &value);
// The keys and texts of the line parameters (every key but Device).
QList<QPair<QString, QString>> lineSettingsValues(const PortSettings &settings);

// Speeds offered by the setup dialog.
QList<uint32_t> standardBaudRates();

} // namespace vestan::trvclnk
