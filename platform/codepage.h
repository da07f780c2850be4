#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace vestan {

// Windows code page 1251, the encoding of every text that crosses a library
// boundary. Inside the program all text is QString.
QByteArray toCp1251(const QString &text);
QString fromCp1251(const char *text); // null gives an empty string
QString fromCp1251(std::string_view bytes);

// The same for code without Qt strings: UTF-8 in, code page 1251 out.
std::string utf8ToCp1251(std::string_view utf8);

} // namespace vestan
