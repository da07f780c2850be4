#include "maker/trvclnk/statisticsdialog.h"

#include "maker/trvclnk/portsettings.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vestan::trvclnk {

StatisticsDialog::StatisticsDialog(int port, const LinkStatistics &stats, bool open,
                                   QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("StatisticsDialog"));
    setWindowTitle(QStringLiteral("Статистика связи: %1").arg(sectionName(port)));

    auto *state =
        new QLabel(open ? QStringLiteral("Порт открыт") : QStringLiteral("Порт закрыт"), this);
    state->setObjectName(QStringLiteral("state"));

    const QList<StatisticsLine> lines = statisticsLines(stats);
    auto *table = new QTableWidget(int(lines.size()), 2, this);
    table->setObjectName(QStringLiteral("table"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    for (int row = 0; row < lines.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(lines[row].label));
        auto *value = new QTableWidgetItem(lines[row].value);
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, 1, value);
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setMinimumWidth(table->columnWidth(0) + 140);
    // Every row while the dialog still fits a 1366 x 768 screen at 150 %
    // scaling (about 440 pixels before scaling); the rest scrolls.
    table->setMinimumHeight(table->rowHeight(0) * int(qMin(lines.size(), 10) + 1));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(state);
    layout->addWidget(table);
    layout->addWidget(buttons);
}

} // namespace vestan::trvclnk
