#include "clock/clockpage.h"

#include "platform/widgets.h"
#include "session/session.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vestan {
namespace {

constexpr unsigned long kMaxYear = 65535;

QLineEdit *makeField(QWidget *parent, const char *name, const QString &text, int width,
                     const QString &hint = QString())
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setFixedWidth(width);
    field->setAlignment(Qt::AlignRight);
    if (!hint.isEmpty())
        setHint(field, hint);
    return field;
}

} // namespace

ClockPage::ClockPage(Session &state, QWidget *parent) : QWidget(parent), state_(state)
{
    setObjectName(QStringLiteral("TabSDTTM"));
    buildControls();
    clock_.emplace(state_, fields_, gdttmText_);
    search_.emplace(state_, fields_, idRec_, rFind_, infoData_);
    bindEvents();
}

void ClockPage::buildControls()
{
    auto *page = new QVBoxLayout(this);

    auto *readBox = new QGroupBox(QStringLiteral("Дата и время контроллера"), this);
    readBox->setObjectName(QStringLiteral("GrBoxGDTTM"));
    auto *readRow = new QHBoxLayout(readBox);
    gdttm_ = makeButton(readBox, "BtnGDTTM", QStringLiteral("Читать"),
                        QStringLiteral("Одноразовое чтение системных даты и времени контроллера"));
    gdttmText_ =
        makeTextField(readBox, "StTxtGDTTM", QString(), kSunken | kCentred | kLightBackground);
    readRow->addWidget(gdttm_);
    readRow->addWidget(gdttmText_, 1);
    page->addWidget(readBox);

    auto *setBox = new QGroupBox(QStringLiteral("Установка даты и времени, поиск записей"), this);
    setBox->setObjectName(QStringLiteral("GrBoxSDTTM"));
    auto *grid = new QGridLayout(setBox);

    // Labels Label1 .. Label7 over the fields day .. milliseconds, from column 2 on.
    const char *const labelNames[] = {"Label1", "Label2", "Label3", "Label4",
                                      "Label5", "Label6", "Label7"};
    const QString captions[] = {QStringLiteral("Число"), QStringLiteral("Месяц"),
                                QStringLiteral("Год"),   QStringLiteral("Часы"),
                                QStringLiteral("Мин"),   QStringLiteral("Сек"),
                                QStringLiteral("мс")};
    for (int i = 0; i < 7; ++i) {
        auto *label = new QLabel(captions[i], setBox);
        label->setObjectName(QString::fromLatin1(labelNames[i]));
        grid->addWidget(label, 0, 2 + i, Qt::AlignLeft | Qt::AlignBottom);
    }
    fields_.EdDDD = makeField(setBox, "EdDDD", QStringLiteral("19"), 36);
    fields_.EdDMM = makeField(setBox, "EdDMM", QStringLiteral("12"), 36);
    fields_.EdDYY = makeField(setBox, "EdDYY", QStringLiteral("2001"), 52);
    fields_.EdTHH = makeField(setBox, "EdTHH", QStringLiteral("00"), 36);
    fields_.EdTMM = makeField(setBox, "EdTMM", QStringLiteral("00"), 36);
    fields_.EdTSS = makeField(setBox, "EdTSS", QStringLiteral("00"), 36);
    fields_.EdTMS = makeField(setBox, "EdTMS", QStringLiteral("000"), 44,
                              QStringLiteral("Миллисекунды, только для поиска записей"));
    QLineEdit *const row[] = {fields_.EdDDD, fields_.EdDMM, fields_.EdDYY, fields_.EdTHH,
                              fields_.EdTMM, fields_.EdTSS, fields_.EdTMS};
    for (int i = 0; i < 7; ++i)
        grid->addWidget(row[i], 1, 2 + i);

    sdttm_ = makeButton(setBox, "BtnSDTTM", QStringLiteral("Установить"),
                        QStringLiteral("Установить датц и время контроллера"));
    time_ = makeButton(setBox, "BtnTime", QStringLiteral("00:00:00"),
                       QStringLiteral("Установить текущую дату и время"));
    setField_ = makeButton(setBox, "BtnSetField", QStringLiteral("Заполнить поля"),
                           QStringLiteral("Заполнить поля текущими значениями даты и времени"));
    find_ =
        makeButton(setBox, "BtnFind", QStringLiteral("Поиск записи"),
                   QStringLiteral("Поиск записи в журнале (по заполненным полям даты и времени)"));
    maxYear_ = makeButton(setBox, "BtnMaxYear", QStringLiteral("Max"),
                          QStringLiteral("Max. год для поиска ПОСЛЕДНЕЙ записи."));
    maxYear_->setFixedWidth(maxYear_->fontMetrics().horizontalAdvance(maxYear_->text()) + 16);
    grid->addWidget(sdttm_, 1, 0);
    grid->addWidget(maxYear_, 1, 1);
    grid->addWidget(time_, 2, 0);
    grid->addWidget(setField_, 3, 0);
    grid->addWidget(find_, 4, 0);

    idRec_ = makeTextField(setBox, "StTxtIDRec", QString(), kSunken | kCentred | kLightBackground);
    idRec_->setMinimumWidth(56);
    rFind_ = makeTextField(setBox, "StTxtRFind", QString(), kSunken | kCentred | kLightBackground);
    grid->addWidget(idRec_, 4, 1, 1, 2);
    grid->addWidget(rFind_, 4, 3, 1, 7);

    infoData_ = makeTextField(setBox, "LblInfoData", QString(), kCentred);
    grid->addWidget(infoData_, 5, 0, 1, 10);
    grid->setColumnStretch(9, 1);
    page->addWidget(setBox);
    page->addStretch(1);
}

void ClockPage::bindEvents()
{
    const auto bind = [this](auto handler) { return guardedSlot(state_.host, handler); };
    connect(gdttm_, &QPushButton::clicked, this, bind([this] { BtnGDTTMClick(); }));
    connect(sdttm_, &QPushButton::clicked, this, bind([this] { BtnSDTTMClick(); }));
    connect(setField_, &QPushButton::clicked, this, bind([this] { BtnSetFieldClick(); }));
    connect(time_, &QPushButton::clicked, this, bind([this] { BtnTimeClick(); }));
    connect(maxYear_, &QPushButton::clicked, this, bind([this] { BtnMaxYearClick(); }));
    connect(find_, &QPushButton::clicked, this, bind([this] { BtnFindClick(); }));
}

void ClockPage::FillDateTimeFields()
{
    fields_.fill(state_.host.localTime());
}

void ClockPage::BtnTimeClick()
{
    FillDateTimeFields();
    SetControllerClock();
}

void ClockPage::BtnMaxYearClick()
{
    fields_.EdDYY->setText(QString::asprintf("%lu", kMaxYear));
}

void ClockPage::Timer1Timer()
{
    const QTime now = state_.host.localTime().time();
    time_->setText(QString::asprintf("%02u:%02u:%02u", unsigned(now.hour()), unsigned(now.minute()),
                                     unsigned(now.second())));
}

} // namespace vestan
