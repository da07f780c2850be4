#include "journal/journalheaderwindow.h"

namespace vestan {

JournalHeaderWindow::JournalHeaderWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmJHInfo"));
}

} // namespace vestan
