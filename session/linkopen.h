#pragma once

#include <QString>
#include <cstdint>

namespace vestan {

struct Session;

// A telephone number as the library is handed it: without control
// characters, without blanks at either end, at most kPhoneCapacity
// characters and never half a character.
QString CleanPhoneNumber(const QString &text);

// Cleans the session's telephone number, hands it to the library, then
// opens port: the port now open or a negative error code.
int32_t OpenLinkPort(Session &state, int32_t port);

// Takes whether the channel's port is open, and its speed, from the library.
void ReadLinkState(Session &state);

} // namespace vestan
