#include "journal/journaldownload.h"

#include "app/programstate.h"
#include "journal/transferrun.h"

namespace vestan {

void JournalDownload::run(bool headerOnly)
{
    TransferRun run(state_, progress_);
    if (!run.start())
        return;
    RequestLayer &requests = state_.requests;
    uint32_t headerSize = 0;
    uint32_t dataSize = 0;
    const bool wantData = !headerOnly;

    run.error = requests.RequestSize(ObjJournalHeader, headerSize, 1,
                                     QStringLiteral("Чтение размера заголовка журнала"));
    if (run.error == 0 && run.running() && wantData)
        run.error = requests.RequestSize(ObjJournalData, dataSize, 1,
                                         QStringLiteral("Чтение размера данных журнала"));
    if (run.error == 0 && run.running() && !run.prepareTempFile())
        return;
    if (run.error != 0 || !run.running())
        return;

    run.setProgressRange(uint64_t(headerSize) + dataSize);
    run.readObject(ObjJournalHeader, headerSize, QStringLiteral("Чтение заголовка журнала"),
                   [&](uint32_t offset) {
                       return QString::asprintf("Заголовок %lu [%lu]", ulong(headerSize),
                                                ulong(offset));
                   });
    if (wantData)
        run.readObject(ObjJournalData, dataSize, QStringLiteral("Чтение данных журнала"),
                       [&](uint32_t offset) {
                           return QString::asprintf("Заголовок %lu, данные %lu [%lu]",
                                                    ulong(headerSize), ulong(dataSize),
                                                    ulong(offset));
                       });

    if (run.complete()) {
        run.showInfo(wantData ? QString::asprintf("Заголовок %lu, данные %lu", ulong(headerSize),
                                                  ulong(dataSize))
                              : QString::asprintf("Заголовок %lu", ulong(headerSize)));
        const QString stored =
            run.store(QStringLiteral("Записать журнал в файл"),
                      QStringLiteral("Запись журнала в файл"), "Удалить журнал?\n\"%s\"");
        if (!stored.isEmpty()) {
            state_.session.lastHeaderSize = headerSize;
            state_.session.lastDataSize = dataSize;
        }
    }
    run.dropTempFile();
}

} // namespace vestan
