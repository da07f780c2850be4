#include "upload/imagesize.h"

#include "session/session.h"
#include "session/transferquestions.h"

namespace vestan {

bool confirmFlashSize(Session &state, TransferQuestions &questions, uint32_t &imageSize)
{
    if (imageSize == kStandardFlashSize || imageSize == kAltFlashSize)
        return true;
    const QString caption =
        QString::asprintf("%s: \"Запрос размера ПО\"", qUtf8Printable(state.paths.programFileName));
    // clang-format off
    const QString text = QString::asprintf("Странный размер ПО = %lu\nПохоже на глюк старого контроллера!\n\nПопробовать стандартный размер=512 Кб?\n", ulong(imageSize));
    // clang-format on
    switch (questions.strangeFlashSize({caption, text, kMbIconExclamation | kMbYesNoCancel})) {
    case FlashSizeAnswer::Standard:
        imageSize = kStandardFlashSize;
        return true;
    case FlashSizeAnswer::Reported:
        return true;
    case FlashSizeAnswer::Refused:
        return false;
    }
    return false;
}

int RequestImageSize(Session &state, TransferQuestions &questions, uint32_t &imageSize)
{
    const int result = state.requests.RequestSize(
        ObjFlash, imageSize, 1, QStringLiteral("Чтение размера системной области FLASH"));
    if (result != 0 || state.channel.running == 0)
        return result;
    return confirmFlashSize(state, questions, imageSize) ? 0 : kFlashSizeRefused;
}

QList<TransferPiece> imagePieces(uint32_t imageSize)
{
    return {{ObjFlash, imageSize, QStringLiteral("Чтение FLASH")}};
}

} // namespace vestan
