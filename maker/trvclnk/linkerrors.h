#pragma once

#include <cstdint>

namespace vestan::trvclnk {

// The link library's result codes. 0 is success; every failure is negative.
// -51 and -52 are the program's own (user stop, request too long) and keep
// their meaning here; no other code comes near them.
enum LinkError : int32_t
{
    kOk = 0,
    kErrNotOpen = -1,            // port not open
    kErrOpenFailed = -2,         // the device could not be opened
    kErrTimeout = -3,            // no reply in time
    kErrCrc = -4,                // a reply arrived with a bad check sum
    kErrMalformed = -5,          // broken frame or a reply that contradicts itself
    kErrReplyTooLarge = -6,      // the reply does not fit the caller's buffer
    kErrWriteFailed = -7,        // the request could not be sent
    kErrDeviceLost = -8,         // the device failed while in use
    kErrBadPort = -9,            // port index out of range
    kErrBadArgument = -10,       // null pointer or empty request
    kErrSettingsWrite = -11,     // trvCLNK.ini could not be written
    kErrNoGui = -12,             // a dialog was asked for without a window application
    kErrNoStatistics = -13,      // the port was never opened since the library was loaded
    kErrUnknownEvent = -14,      // _trvCL_fSetEvent with an event it does not know
    kErrNoPermission = -15,      // this user may not open the device (not in "dialout")
    kErrNoDevice = -16,          // no such device: unplugged adapter, mistyped name
    kErrDeviceBusy = -17,        // another program holds the device
    kErrModemBusy = -20,         // BUSY
    kErrModemNoCarrier = -21,    // NO CARRIER
    kErrModemNoDialtone = -22,   // NO DIALTONE
    kErrModemNoAnswer = -23,     // NO ANSWER
    kErrModemDialTimeout = -24,  // no result to the dial command in time
    kErrModemNoResponse = -25,   // the modem does not answer commands
    kErrModemError = -26,        // the modem refused a command (ERROR)
    kErrPhoneNotDialable = -27,  // the telephone number holds what a modem cannot dial
    kErrHostNotFound = -30,      // a network port's server name does not resolve
    kErrConnectionRefused = -31, // the server refused the connection
    kErrConnectTimeout = -32,    // no connection within the connect time-out
    kErrComPortRefused = -33,    // the server does not take Com Port Control
    kErrConnectionLost = -34,    // the connection dropped; the next attempt connects again
    kErrBadAddress = -35,        // a network port's address is not HOST:PORT
    kErrStopped = -51,           // the program: user stop
    kErrRequestTooLong = -52,    // the program: request does not fit the link buffer
};

// Code page 1251 text of a code, static storage; "" for a code without text.
const char *errorText(int32_t code);
// Nonzero when repeating the request cannot help.
int32_t isFinalError(int32_t code);

} // namespace vestan::trvclnk
