#pragma once

#include "platform/serialports.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>

class QComboBox;
class QLabel;
class QSpinBox;

namespace vestan::trvclnk {

// A serial device the machine has, as the selection dialog offers it.
struct DeviceEntry : SerialPortEntry
{
    // False when this user may not open it for reading and writing.
    bool mayOpen = true;
};

// The serial ports that exist now, with their rights for this user
// (pseudo-terminals are not among them; a path can always be typed by hand).
QList<DeviceEntry> availableDevices();

// Mode 1 of _trvCL_fDlgSetup: a COM number and the device behind it.
class DeviceDialog : public QDialog
{
    Q_OBJECT
public:
    // `deviceOf(port)` gives the device a port is mapped to now.
    DeviceDialog(int port, const QList<DeviceEntry> &devices, std::function<QString(int)> deviceOf,
                 QWidget *parent = nullptr);

    int chosenPort() const;
    QString chosenDevice() const;

    void setChosenDevice(const QString &path);

private:
    void showDeviceOf(int port);
    void describe();

    QList<DeviceEntry> devices_;
    std::function<QString(int)> deviceOf_;
    QSpinBox *port_;
    QComboBox *device_;
    QLabel *description_;
};

} // namespace vestan::trvclnk
