#include "maker/trvclnk/devicedialog.h"

#include "maker/trvclnk/portsettings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSerialPortInfo>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vestan::trvclnk {

QList<DeviceEntry> availableDevices()
{
    QList<DeviceEntry> out;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        out.append({info.systemLocation(), info.description()});
    return out;
}

DeviceDialog::DeviceDialog(int port, const QList<DeviceEntry> &devices,
                           std::function<QString(int)> deviceOf, QWidget *parent)
    : QDialog(parent), devices_(devices), deviceOf_(std::move(deviceOf))
{
    setObjectName(QStringLiteral("DeviceDialog"));
    setWindowTitle(QStringLiteral("Выбор устройства связи"));

    port_ = new QSpinBox(this);
    port_->setObjectName(QStringLiteral("port"));
    port_->setRange(1, kPortCount);
    port_->setPrefix(QStringLiteral("COM"));

    device_ = new QComboBox(this);
    device_->setObjectName(QStringLiteral("device"));
    device_->setEditable(true);
    device_->setInsertPolicy(QComboBox::NoInsert);
    device_->setMinimumContentsLength(28);
    for (const DeviceEntry &entry : devices_)
        device_->addItem(entry.path);
    device_->lineEdit()->setPlaceholderText(QStringLiteral("путь к устройству"));

    description_ = new QLabel(this);
    description_->setObjectName(QStringLiteral("description"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Порт:"), port_);
    form->addRow(QStringLiteral("Устройство:"), device_);
    form->addRow(QString(), description_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!chosenDevice().isEmpty())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(port_, &QSpinBox::valueChanged, this, [this](int com) { showDeviceOf(com - 1); });
    connect(device_, &QComboBox::currentTextChanged, this, [this] { describe(); });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    setChosenPort(isValidPort(port) ? port : 0);
    showDeviceOf(chosenPort());
}

int DeviceDialog::chosenPort() const
{
    return port_->value() - 1;
}

QString DeviceDialog::chosenDevice() const
{
    return device_->currentText().trimmed();
}

void DeviceDialog::setChosenPort(int port)
{
    port_->setValue(port + 1);
}

void DeviceDialog::setChosenDevice(const QString &path)
{
    device_->setCurrentText(path);
}

void DeviceDialog::showDeviceOf(int port)
{
    setChosenDevice(deviceOf_ ? deviceOf_(port) : QString());
    describe();
}

void DeviceDialog::describe()
{
    const QString path = chosenDevice();
    QString text;
    for (const DeviceEntry &entry : devices_)
        if (entry.path == path)
            text = entry.description;
    if (text.isEmpty() && !path.isEmpty())
        text = QStringLiteral("(введено вручную)");
    description_->setText(text);
}

} // namespace vestan::trvclnk
