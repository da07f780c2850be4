#include "journal/journalheaderwindow.h"

#include "maker/tarvel/tarvel.h"
#include "platform/codepage.h"
#include "platform/widgets.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstring>
#include <string_view>

namespace vestan {

JournalHeaderWindow::JournalHeaderWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmJHInfo"));
    setWindowTitle(QStringLiteral("Информация о журнале"));
    resize(473, 296);

    EdJName = new QLineEdit(this);
    EdJName->setObjectName(QStringLiteral("EdJName"));
    EdJName->setReadOnly(true);

    PgCtrJHInfo = new QTabWidget(this);
    PgCtrJHInfo->setObjectName(QStringLiteral("PgCtrJHInfo"));
    TbSIBase = new QWidget(PgCtrJHInfo);
    TbSIBase->setObjectName(QStringLiteral("TbSIBase"));
    PgCtrJHInfo->addTab(TbSIBase, QStringLiteral("Базовая информация"));

    BtnLoad = makeButton(this, "BtnLoad", QStringLiteral("Загрузить"));
    BtnJHIExit = makeButton(this, "BtnJHIExit", QStringLiteral("Отмена"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnLoad);
    buttons->addWidget(BtnJHIExit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(EdJName);
    layout->addWidget(PgCtrJHInfo, 1);
    layout->addLayout(buttons);
}

bool JournalHeaderWindow::ShowJournalHeaderInfo(const uint8_t *record, int mode,
                                                const QString &title)
{
    if (!record)
        return false;
    uint32_t valid = 0;
    std::memcpy(&valid, record + journalrecord::kValidFlag, sizeof valid);
    if (valid == 0)
        return false;
    setWindowTitle(title.isEmpty() ? QStringLiteral("Информация о журнале") : title);
    // The name field is NUL-terminated inside its area, or fills it.
    const char *name = reinterpret_cast<const char *>(record + journalrecord::kFileName);
    EdJName->setText(
        fromCp1251(std::string_view(name, strnlen(name, journalrecord::kFileNameSize))));
    if (mode == 0) {
        BtnJHIExit->setText(QStringLiteral("Отмена"));
        show();
    }
    return true;
}

} // namespace vestan
