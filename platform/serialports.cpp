#include "platform/serialports.h"

#include <QSerialPortInfo>

namespace vestan {
namespace {

QString hex4(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

} // namespace

QList<SerialPortEntry> serialPorts()
{
    QList<SerialPortEntry> out;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry entry{info.systemLocation(), info.description(), QString()};
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            entry.usbIds = QStringLiteral("USB ") + hex4(info.vendorIdentifier()) + u':' +
                           hex4(info.productIdentifier());
        out.append(entry);
    }
    return out;
}

QString defaultSerialDevice(int portIndex)
{
    return QStringLiteral("/dev/ttyS%1").arg(portIndex);
}

} // namespace vestan
