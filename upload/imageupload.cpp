#include "upload/imageupload.h"

#include "app/programstate.h"
#include "journal/transferrun.h"

namespace vestan {

void ImageUpload::run()
{
    TransferRun run(state_, progress_);
    if (!run.start())
        return;
    uint32_t imageSize = 0;
    run.error = state_.requests.RequestSize(
        ObjFlash, imageSize, 1, QStringLiteral("Чтение размера системной области FLASH"));
    if (run.error == 0 && run.running() && !confirmFlashSize(state_, imageSize))
        return;
    if (run.error == 0 && run.running() && !run.prepareTempFile())
        return;
    if (run.error != 0 || !run.running())
        return;

    run.setProgressRange(imageSize);
    run.readObject(ObjFlash, imageSize, QStringLiteral("Чтение FLASH"), [&](uint32_t offset) {
        return QString::asprintf("FLASH %lu [%lu]", ulong(imageSize), ulong(offset));
    });
    // The progress text of the last portion stays; the journal sizes of the
    // status line are not the image's business.
    if (run.complete())
        run.store(QStringLiteral("Записать данные FLASH в файл"),
                  QStringLiteral("Запись данных FLASH в файл"), "Удалить файл?\n\"%s\"");
    run.dropTempFile();
}

bool confirmFlashSize(ProgramState &state, uint32_t &imageSize)
{
    if (imageSize == kStandardFlashSize || imageSize == kAltFlashSize)
        return true;
    const QString caption =
        QString::asprintf("%s: \"Запрос размера ПО\"", qUtf8Printable(state.paths.programFileName));
    // clang-format off
    const QString text = QString::asprintf("Странный размер ПО = %lu\nПохоже на глюк старого контроллера!\n\nПопробовать стандартный размер=512 Кб?\n", ulong(imageSize));
    // clang-format on
    switch (state.host.messageBox(caption, text, kMbIconExclamation | kMbYesNoCancel)) {
    case kIdYes:
    case kIdOk:
        imageSize = kStandardFlashSize;
        return true;
    case kIdNo:
        return true;
    default:
        return false;
    }
}

} // namespace vestan
