#include "platform/initext.h"

#include "platform/codepage.h"

#include <QStringDecoder>

namespace vestan::initext {

QString decode(const QByteArray &bytes)
{
    // A file written by the Linux build is UTF-8; Cyrillic in code page 1251
    // is practically never valid UTF-8, so valid UTF-8 is read as such.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return asUtf8;
    return fromCp1251(std::string_view(bytes.constData(), size_t(bytes.size())));
}

QByteArray encode(const QString &text)
{
    return toCp1251(text);
}

const QByteArray kNativeLineEnd = QByteArrayLiteral("\r\n");

} // namespace vestan::initext
