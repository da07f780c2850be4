#include "info/infopage.h"

#include "platform/widgets.h"
#include "session/session.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vestan {

InfoPage::InfoPage(Session &state, QWidget *parent)
    : QWidget(parent), state_(state), controls_(buildControls()), readout_(state, controls_),
      power_(state, stTxtU_)
{
    connect(btnU_, &QPushButton::clicked, this, guardedSlot(state_.host, [this] { BtnUClick(); }));
    connect(controls_.readButton, &QPushButton::clicked, this,
            guardedSlot(state_.host, [this] { BtnI1Click(); }));
}

InfoReadoutControls InfoPage::buildControls()
{
    setObjectName(QStringLiteral("PgInfo"));
    group_ = new QGroupBox(this);
    group_->setObjectName(QStringLiteral("GrBoxKIInfo"));
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(group_);

    InfoReadoutControls c;
    btnU_ = makeButton(group_, "BtnU", QStringLiteral("Питание"));
    stTxtU_ = makeTextField(group_, "StTxtU", QString(), kSunken | kCentred);
    c.lamp = new LampImage(lamps_, group_);
    c.readButton = makeButton(group_, "BtnI1", QStringLiteral("Читать"));
    c.readButton->setFixedSize(84, 49);
    c.version = makeTextField(group_, "StTxtVersion", QString(), kSunken | kCentred,
                              QStringLiteral("Версия контроллера"));
    c.verLink = makeTextField(group_, "StTxtVerLink", QString(), kSunken | kCentred,
                              QStringLiteral("Версия обработчика запромов по связи."));
    c.memo = new QPlainTextEdit(group_);
    c.memo->setObjectName(QStringLiteral("MemoInfo"));
    c.memo->setReadOnly(true);
    c.memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    c.memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The summary lines are aligned by blanks.
    // The hint keeps the fallback fixed-pitch where the system's fixed font is missing.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setStyleHint(QFont::TypeWriter);
    c.memo->setFont(fixed);

    auto *powerRow = new QHBoxLayout;
    powerRow->addWidget(btnU_);
    powerRow->addWidget(stTxtU_, 1);

    auto *versions = new QVBoxLayout;
    versions->addWidget(c.version);
    versions->addWidget(c.verLink);
    auto *readRow = new QHBoxLayout;
    readRow->addWidget(c.lamp);
    readRow->addWidget(c.readButton);
    readRow->addLayout(versions, 1);

    auto *groupLayout = new QVBoxLayout(group_);
    groupLayout->addLayout(powerRow);
    groupLayout->addLayout(readRow);
    groupLayout->addWidget(c.memo, 1);
    return c;
}

} // namespace vestan
