#include "session/linkopen.h"

#include "platform/codepage.h"
#include "session/session.h"

#include <algorithm>

namespace vestan {
namespace {

bool isTrimmedAway(QChar c)
{
    const char16_t u = c.unicode();
    return u <= 0x20 || (u >= 0x7F && u <= 0x9F) || c.isSpace();
}

// A line break pasted into the number is no part of it, and the settings
// file could not hold it.
bool isControl(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

} // namespace

QString CleanPhoneNumber(const QString &text)
{
    QString kept = text;
    kept.removeIf(isControl);
    qsizetype from = 0;
    qsizetype to = kept.size();
    while (from < to && isTrimmedAway(kept.at(from)))
        ++from;
    while (to > from && isTrimmedAway(kept.at(to - 1)))
        --to;
    qsizetype length = std::min<qsizetype>(to - from, kPhoneCapacity);
    if (length == kPhoneCapacity && kept.at(from + length - 1).isHighSurrogate())
        --length; // never half a character
    return kept.mid(from, length);
}

int32_t OpenLinkPort(Session &state, int32_t port)
{
    state.session.phoneNumber = CleanPhoneNumber(state.session.phoneNumber);
    const QByteArray phone = toCp1251(state.session.phoneNumber);
    state.api._trvCL_fSetPhone(port, phone.constData());
    return state.api._trvCL_fOpen(port);
}

void ReadLinkState(Session &state)
{
    LinkChannel &channel = state.channel;
    channel.isOpen = state.api._trvCL_fIsOpen(channel.portIndex);
    channel.baudRate = state.api._trvCL_fParamBaud(channel.portIndex);
}

} // namespace vestan
