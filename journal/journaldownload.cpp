#include "journal/journaldownload.h"

#include "journal/journalsizes.h"
#include "journal/transferrun.h"
#include "session/session.h"

namespace vestan {

void downloadJournal(Session &state, RecentFiles &recent, ProgressPanel &progress, bool headerOnly)
{
    TransferRun run(state, recent, progress,
                    {QStringLiteral("Записать журнал в файл"),
                     QStringLiteral("Запись журнала в файл"), "Удалить журнал?\n\"%s\""});
    if (!run.start())
        return;
    JournalSizes sizes;
    sizes.headerOnly = headerOnly;
    if (!run.sized(RequestJournalSizes(state, sizes)))
        return;

    run.setProgressRange(uint64_t(sizes.header) + sizes.data);
    run.fetch(journalPieces(sizes), [&](int index, uint32_t offset) {
        return index == 0
                   ? QString::asprintf("Заголовок %lu [%lu]", ulong(sizes.header), ulong(offset))
                   : QString::asprintf("Заголовок %lu, данные %lu [%lu]", ulong(sizes.header),
                                       ulong(sizes.data), ulong(offset));
    });

    if (run.complete()) {
        run.showInfo(journalSizesText(sizes));
        if (!run.store().isEmpty()) {
            state.session.lastHeaderSize = sizes.header;
            state.session.lastDataSize = sizes.data;
        }
    }
    run.dropTempFile();
}

} // namespace vestan
