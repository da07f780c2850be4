#pragma once

#include "maker/trvclnk/bytechannel.h"
#include "maker/trvclnk/portsettings.h"

#include <QByteArray>
#include <cstdint>

namespace vestan::trvclnk {

// Hayes-style dialling on an open line: the init string, ATDT/ATDP with the
// number, CONNECT; and back: guard time, "+++", guard time, ATH.
class ModemDialer
{
public:
    ModemDialer(ByteChannel &channel, const PortSettings &settings);

    // kOk once connected, else a modem error code (all final).
    int32_t dial(const QByteArray &phone);
    // Returns the modem to command mode and hangs up; kOk or a modem error.
    int32_t hangUp();

    // The number as it is dialled: printable ASCII only, no ';' (which would
    // keep the modem in command mode) and no line ends (which would end the
    // command early and let the rest act as a command of its own).
    static QByteArray dialString(const QByteArray &phone);

private:
    enum class Result
    {
        None,
        Ok,
        Connect,
        Busy,
        NoCarrier,
        NoDialtone,
        NoAnswer,
        Error
    };

    bool send(const QByteArray &text);
    // Reads answer lines until one that ends a command, or the time is up.
    Result waitResult(int timeoutMs);
    static Result classify(const QByteArray &line);

    ByteChannel &channel_;
    PortSettings settings_;
    QByteArray pending_;
};

} // namespace vestan::trvclnk
