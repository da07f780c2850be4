#include "platform/serialports.h"

#include <QCollator>
#include <QMap>

#include <windows.h>
// After windows.h.
#include <devguid.h>
#include <setupapi.h>

namespace vestan {
namespace {

// The friendly names of the ports the device manager knows, by port name
// ("COM3" -> "USB Serial Port (COM3)"); empty when SetupAPI has none.
QMap<QString, QString> portDescriptions()
{
    QMap<QString, QString> names;
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return names;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t port[64] = {};
        DWORD size = sizeof(port) - sizeof(wchar_t);
        DWORD type = 0;
        const bool named =
            RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(port),
                             &size) == ERROR_SUCCESS &&
            type == REG_SZ;
        RegCloseKey(key);
        wchar_t friendly[256] = {};
        if (named && SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                       reinterpret_cast<BYTE *>(friendly),
                                                       sizeof(friendly) - sizeof(wchar_t), nullptr))
            names.insert(QString::fromWCharArray(port).toUpper(),
                         QString::fromWCharArray(friendly));
    }
    SetupDiDestroyDeviceInfoList(set);
    return names;
}

} // namespace

QList<SerialPortEntry> serialPorts()
{
    // The system's map of serial ports: one value per port, its data the
    // port's name (COM1 ...).
    QList<SerialPortEntry> out;
    HKEY map = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &map) !=
        ERROR_SUCCESS)
        return out;
    const QMap<QString, QString> descriptions = portDescriptions();
    QStringList names;
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[256];
        DWORD valueNameSize = DWORD(std::size(valueName));
        wchar_t data[64] = {};
        DWORD dataSize = sizeof(data) - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(map, i, valueName, &valueNameSize, nullptr, &type,
                                          reinterpret_cast<BYTE *>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS && type == REG_SZ)
            names << QString::fromWCharArray(data).trimmed();
    }
    RegCloseKey(map);

    // COM2 before COM10.
    QCollator order;
    order.setNumericMode(true);
    std::sort(names.begin(), names.end(), order);
    names.removeDuplicates();
    for (const QString &name : names)
        if (!name.isEmpty())
            out.append(
                {QStringLiteral("\\\\.\\") + name, descriptions.value(name.toUpper()), QString()});
    return out;
}

QString defaultSerialDevice(int portIndex)
{
    return QStringLiteral("\\\\.\\COM%1").arg(portIndex + 1);
}

} // namespace vestan
