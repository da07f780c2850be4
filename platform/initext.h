#pragma once

#include <QByteArray>
#include <QString>

namespace vestan::initext {

// The text of an initialization file as this system writes it: UTF-8 with
// "\n" on Linux, code page 1251 with "\r\n" on Windows (where a file written
// by the Linux build is read as UTF-8 when it is valid UTF-8).
QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text);
extern const QByteArray kNativeLineEnd;

} // namespace vestan::initext
