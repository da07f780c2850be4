#include "maker/trvclnk/portsettings.h"

#include "maker/trvclnk/networktransport.h"
#include "platform/serialports.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <type_traits>

namespace vestan::trvclnk {
namespace {

// A whole number in [low, high], or nothing: a stored value is either used
// as written or ignored, never half-read.
std::optional<int64_t> readNumber(const std::optional<QString> &text, int64_t low, int64_t high)
{
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qlonglong value = text->trimmed().toLongLong(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

int PortSettings::bitsPerCharacter() const
{
    return 1 + dataBits + (parity == 'N' ? 0 : 1) + stopBits;
}

int64_t PortSettings::lineTimeMs(int64_t bytes) const
{
    if (baud == 0)
        return 0;
    const int64_t bits = bytes * bitsPerCharacter() * 1000;
    return (bits + baud - 1) / baud;
}

int PortSettings::effectiveInterByteTimeoutMs() const
{
    if (interByteTimeoutMs > 0)
        return interByteTimeoutMs;
    // Ten characters' time, but never below what USB adapters and the
    // scheduler add to a quiet moment on the line; a network serial server
    // passes its port's bytes on in packets, a few tens of milliseconds apart
    // when it or the network is busy, and loses none.
    return int(std::max<int64_t>(isNetworkDevice(device) ? 250 : 50, lineTimeMs(10)));
}

int PortSettings::parityIndex() const
{
    const size_t at = std::string_view("NOEMS").find(parity);
    return at == std::string_view::npos ? 0 : int(at);
}

QString sectionName(int port)
{
    return QStringLiteral("COM%1").arg(port + 1);
}

bool isValidPort(int port)
{
    return port >= 0 && port < kPortCount;
}

PortSettings defaultPortSettings(int port)
{
    PortSettings settings;
    settings.device = defaultSerialDevice(port);
    return settings;
}

PortSettings readPortSettings(int port, const SettingReader &value)
{
    PortSettings s = defaultPortSettings(port);
    const auto text = [&](const char *key) {
        return value(QString::fromLatin1(key)).value_or(QString()).trimmed();
    };
    const auto number = [&](const char *key, auto &field, int64_t low, int64_t high) {
        if (auto v = readNumber(value(QString::fromLatin1(key)), low, high))
            field = std::remove_reference_t<decltype(field)>(*v);
    };
    if (const QString device = text("Device"); !device.isEmpty())
        s.device = device;
    number("Baud", s.baud, 1, 100000000);
    number("DataBits", s.dataBits, 5, 8);
    const QString parity = text("Parity").toUpper();
    if (!parity.isEmpty() && QStringLiteral("NEOMS").contains(parity.at(0)))
        s.parity = char(parity.at(0).unicode());
    number("StopBits", s.stopBits, 1, 2);
    number("ReplyTimeoutMs", s.replyTimeoutMs, 1, 600000);
    number("InterByteTimeoutMs", s.interByteTimeoutMs, 0, 600000);
    if (const auto init = value(QStringLiteral("ModemInit")))
        s.modemInit = init->trimmed(); // present but empty: no init string
    const QString dial = text("Dial").toUpper();
    if (dial == QLatin1String("T") || dial == QLatin1String("P"))
        s.dial = char(dial.at(0).unicode());
    number("DialTimeoutMs", s.dialTimeoutMs, 1, 600000);
    number("ModemTimeoutMs", s.modemTimeoutMs, 1, 600000);
    number("GuardTimeMs", s.guardTimeMs, 0, 60000);
    number("ConnectTimeoutMs", s.connectTimeoutMs, 1, 600000);
    number("ReadAhead", s.readAhead, 0, 1);
    return s;
}

QList<QPair<QString, QString>> lineSettingsValues(const PortSettings &s)
{
    return {
        {QStringLiteral("Baud"), QString::number(s.baud)},
        {QStringLiteral("DataBits"), QString::number(s.dataBits)},
        {QStringLiteral("Parity"), QString(QChar(s.parity))},
        {QStringLiteral("StopBits"), QString::number(s.stopBits)},
        {QStringLiteral("ReplyTimeoutMs"), QString::number(s.replyTimeoutMs)},
        {QStringLiteral("InterByteTimeoutMs"), QString::number(s.interByteTimeoutMs)},
        {QStringLiteral("ModemInit"), s.modemInit},
        {QStringLiteral("Dial"), QString(QChar(s.dial))},
        {QStringLiteral("DialTimeoutMs"), QString::number(s.dialTimeoutMs)},
        {QStringLiteral("ModemTimeoutMs"), QString::number(s.modemTimeoutMs)},
        {QStringLiteral("GuardTimeMs"), QString::number(s.guardTimeMs)},
    };
}

QList<uint32_t> standardBaudRates()
{
    return {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
}

} // namespace vestan::trvclnk
