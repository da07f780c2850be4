#include "platform/initext.h"

namespace vestan::initext {

QString decode(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

QByteArray encode(const QString &text)
{
    return text.toUtf8();
}

const QByteArray kNativeLineEnd = QByteArrayLiteral("\n");

} // namespace vestan::initext
