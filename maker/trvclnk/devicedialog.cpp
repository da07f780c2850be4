#include "maker/trvclnk/devicedialog.h"

#include "maker/trvclnk/networktransport.h"
#include "maker/trvclnk/portsettings.h"
#include "platform/deviceaccess.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace vestan::trvclnk {
namespace {

const QString kNoRights = QStringLiteral("(нет прав)");

// A network port as the dialog describes it; empty for any other device.
QString describeNetworkPort(const QString &device)
{
    if (!isNetworkDevice(device))
        return QString();
    const auto address = parseNetworkAddress(device);
    if (!address)
        return QStringLiteral("неверный адрес: нужно tcp://сервер:порт или rfc2217://сервер:порт");
    return QStringLiteral("сетевой порт: сервер %1, порт %2, %3")
        .arg(address->host)
        .arg(address->port)
        .arg(address->comPortControl ? QStringLiteral("управление портом по RFC 2217")
                                     : QStringLiteral("байты без изменений"));
}

// Columns of the list: the path (what the edit field shows and the choice
// is), then what tells the ports apart.
enum Column
{
    kPathColumn,
    kDescriptionColumn,
    kIdsColumn,
    kRightsColumn,
    kColumns
};

} // namespace

QList<DeviceEntry> availableDevices()
{
    QList<DeviceEntry> out;
    for (const SerialPortEntry &port : serialPorts())
        out.append({port, mayOpenDevice(port.path)});
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
    auto *model = new QStandardItemModel(0, kColumns, device_);
    for (const DeviceEntry &entry : devices_) {
        QList<QStandardItem *> row;
        for (const QString &text :
             {entry.path, entry.description, entry.usbIds, entry.mayOpen ? QString() : kNoRights})
            row.append(new QStandardItem(text));
        model->appendRow(row);
    }
    auto *list = new QTreeView(device_);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    device_->setModel(model);
    device_->setView(list);
    device_->setModelColumn(kPathColumn);
    // The list is as wide as its columns, not as the edit field: the ids and
    // the rights mark would be cut off.
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(false);
    const QFontMetrics metrics(list->font());
    int width = 2 * list->frameWidth() + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int column = 0; column < kColumns; ++column) {
        int widest = 0;
        for (int row = 0; row < model->rowCount(); ++row)
            widest = std::max(widest, metrics.horizontalAdvance(model->item(row, column)->text()));
        width += widest + 3 * metrics.averageCharWidth();
    }
    list->setMinimumWidth(width);
    device_->lineEdit()->setPlaceholderText(QStringLiteral("путь к устройству"));

    description_ = new QLabel(this);
    description_->setObjectName(QStringLiteral("description"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Порт:"), port_);
    form->addRow(QStringLiteral("Устройство:"), device_);
    form->addRow(QString(), description_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        const QString device = chosenDevice();
        if (!device.isEmpty() && (!isNetworkDevice(device) || parseNetworkAddress(device)))
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(port_, &QSpinBox::valueChanged, this, [this](int com) { showDeviceOf(com - 1); });
    connect(device_, &QComboBox::currentTextChanged, this, [this] { describe(); });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    port_->setValue((isValidPort(port) ? port : 0) + 1);
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

void DeviceDialog::setChosenDevice(const QString &path)
{
    // A listed port is also the list's current row, so the list opens on it.
    const int row = device_->findText(path.trimmed());
    if (row >= 0)
        device_->setCurrentIndex(row);
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
    bool listed = false; // the system's list may give a port no description
    for (const DeviceEntry &entry : devices_) {
        if (entry.path != path)
            continue;
        listed = true;
        QStringList parts;
        for (const QString &part : {entry.description, entry.usbIds})
            if (!part.isEmpty())
                parts.append(part);
        text = parts.join(QStringLiteral(", "));
        if (!entry.mayOpen)
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + kNoRights;
    }
    if (!listed && text.isEmpty())
        text = describeNetworkPort(path);
    if (!listed && text.isEmpty() && !path.isEmpty())
        text = QStringLiteral("(введено вручную)");
    description_->setText(text);
}

} // namespace vestan::trvclnk
