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

    // Whether every character of the number is one a modem dials: digits,
    // blanks and + * # , ( ) - . / W P T ! @ (either case for the letters).
    // Anything else would be dialled as something else, or, like ';' or a
    // line end, turn the rest of the number into modem commands.
    static bool isDialable(const QByteArray &phone);
    // The number as it is dialled: without its surrounding blanks.
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
