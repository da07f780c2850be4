#include "journal/journaldownload.h"

#include "journal/journalsizes.h"
#include "journal/transferrun.h"
#include "session/session.h"

namespace vestan {

void JournalDownload::run(bool headerOnly)
{
    TransferRun run(state_, recent_, progress_,
                    {QStringLiteral("Записать журнал в файл"),
                     QStringLiteral("Запись журнала в файл"), "Удалить журнал?\n\"%s\""});
    if (!run.start())
        return;
    JournalSizes sizes;
    sizes.headerOnly = headerOnly;
    run.error = RequestJournalSizes(state_, sizes);
    if (run.error == 0 && run.running() && !run.prepareTempFile())
        return;
    if (run.error != 0 || !run.running())
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
            state_.session.lastHeaderSize = sizes.header;
            state_.session.lastDataSize = sizes.data;
        }
    }
    run.dropTempFile();
}

} // namespace vestan
