#pragma once

#include <QList>
#include <QString>

namespace vestan {

// A serial port the machine has now, as a dialog or a listing offers it.
struct SerialPortEntry
{
    QString path;        // what opening the port takes: /dev/ttyS0, \\.\COM3
    QString description; // the system's name for the device; may be empty
    QString usbIds;      // "USB vvvv:pppp" for a USB adapter, else empty
};

// The serial ports that exist now (pseudo-terminals are not among them).
QList<SerialPortEntry> serialPorts();

// The device a port index (COM number - 1) stands for when nothing else is
// set: /dev/ttyS<index> on Linux, \\.\COM<index + 1> on Windows.
QString defaultSerialDevice(int portIndex);

} // namespace vestan
