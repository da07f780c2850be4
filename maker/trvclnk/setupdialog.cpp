#include "maker/trvclnk/setupdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace vestan::trvclnk {
namespace {

const char kParityLetters[] = {'N', 'E', 'O', 'M', 'S'};

} // namespace

SetupDialog::SetupDialog(int port, const PortSettings &settings, QWidget *parent)
    : QDialog(parent), initial_(settings)
{
    setObjectName(QStringLiteral("SetupDialog"));
    setWindowTitle(QStringLiteral("Настройка параметров связи: %1").arg(sectionName(port)));

    baud_ = new QComboBox(this);
    baud_->setObjectName(QStringLiteral("baud"));
    baud_->setEditable(true);
    for (uint32_t rate : standardBaudRates())
        baud_->addItem(QString::number(rate));
    baud_->setCurrentText(QString::number(settings.baud));

    dataBits_ = new QComboBox(this);
    dataBits_->setObjectName(QStringLiteral("dataBits"));
    for (int bits = 5; bits <= 8; ++bits)
        dataBits_->addItem(QString::number(bits), bits);
    dataBits_->setCurrentIndex(dataBits_->findData(settings.dataBits));

    parity_ = new QComboBox(this);
    parity_->setObjectName(QStringLiteral("parity"));
    const QStringList parityNames = {QStringLiteral("Нет"), QStringLiteral("Чётность"),
                                     QStringLiteral("Нечётность"), QStringLiteral("Маркер"),
                                     QStringLiteral("Пробел")};
    for (int i = 0; i < parityNames.size(); ++i)
        parity_->addItem(parityNames[i], QChar(kParityLetters[i]));
    parity_->setCurrentIndex(std::max(0, parity_->findData(QChar(settings.parity))));

    stopBits_ = new QComboBox(this);
    stopBits_->setObjectName(QStringLiteral("stopBits"));
    stopBits_->addItem(QStringLiteral("1"), 1);
    stopBits_->addItem(QStringLiteral("2"), 2);
    stopBits_->setCurrentIndex(settings.stopBits == 2 ? 1 : 0);

    replyTimeout_ = new QSpinBox(this);
    replyTimeout_->setObjectName(QStringLiteral("replyTimeout"));
    replyTimeout_->setRange(10, 600000);
    replyTimeout_->setSingleStep(100);
    replyTimeout_->setSuffix(QStringLiteral(" мс"));
    replyTimeout_->setValue(settings.replyTimeoutMs);

    modemInit_ = new QLineEdit(settings.modemInit, this);
    modemInit_->setObjectName(QStringLiteral("modemInit"));
    modemInit_->setMaxLength(60);

    tone_ = new QRadioButton(QStringLiteral("Тоновый"), this);
    tone_->setObjectName(QStringLiteral("tone"));
    pulse_ = new QRadioButton(QStringLiteral("Импульсный"), this);
    pulse_->setObjectName(QStringLiteral("pulse"));
    (settings.dial == 'P' ? pulse_ : tone_)->setChecked(true);
    auto *dialRow = new QHBoxLayout;
    dialRow->addWidget(tone_);
    dialRow->addWidget(pulse_);
    dialRow->addStretch();

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Устройство:"), new QLabel(settings.device, this));
    form->addRow(QStringLiteral("Скорость, бод:"), baud_);
    form->addRow(QStringLiteral("Биты данных:"), dataBits_);
    form->addRow(QStringLiteral("Чётность:"), parity_);
    form->addRow(QStringLiteral("Стоповые биты:"), stopBits_);
    form->addRow(QStringLiteral("Тайм-аут ответа:"), replyTimeout_);
    form->addRow(QStringLiteral("Инициализация модема:"), modemInit_);
    form->addRow(QStringLiteral("Набор номера:"), dialRow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

PortSettings SetupDialog::settings() const
{
    PortSettings s = initial_;
    bool ok = false;
    const uint32_t baud = baud_->currentText().trimmed().toUInt(&ok);
    if (ok && baud > 0)
        s.baud = baud;
    if (dataBits_->currentIndex() >= 0)
        s.dataBits = dataBits_->currentData().toInt();
    if (parity_->currentIndex() >= 0)
        s.parity = char(parity_->currentData().toChar().unicode());
    if (stopBits_->currentIndex() >= 0)
        s.stopBits = stopBits_->currentData().toInt();
    s.replyTimeoutMs = replyTimeout_->value();
    // Only printable ASCII reaches the modem.
    QString init;
    for (QChar c : modemInit_->text().trimmed())
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            init.append(c);
    s.modemInit = init;
    s.dial = pulse_->isChecked() ? 'P' : 'T';
    return s;
}

} // namespace vestan::trvclnk
