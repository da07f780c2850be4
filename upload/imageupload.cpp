#include "upload/imageupload.h"

#include "journal/transferrun.h"
#include "session/session.h"
#include "upload/imagesize.h"

namespace vestan {

void uploadImage(Session &state, RecentFiles &recent, ProgressPanel &progress)
{
    TransferRun run(state, recent, progress,
                    {QStringLiteral("Записать данные FLASH в файл"),
                     QStringLiteral("Запись данных FLASH в файл"), "Удалить файл?\n\"%s\""});
    if (!run.start())
        return;
    uint32_t imageSize = 0;
    if (!run.sized(RequestImageSize(state, run.questions(), imageSize)))
        return;

    run.setProgressRange(imageSize);
    run.fetch(imagePieces(imageSize), [&](int, uint32_t offset) {
        return QString::asprintf("FLASH %lu [%lu]", ulong(imageSize), ulong(offset));
    });
    // The progress text of the last portion stays; the journal sizes of the
    // status line are not the image's business.
    if (run.complete())
        run.store();
    run.dropTempFile();
}

} // namespace vestan
