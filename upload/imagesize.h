#pragma once

#include "session/objecttransfer.h"

#include <QList>
#include <cstdint>

namespace vestan {

struct Session;
class TransferQuestions;

// Sizes of the controller's software area accepted without a question.
inline constexpr uint32_t kStandardFlashSize = 0x80000; // 512 KB, also offered instead of others
inline constexpr uint32_t kAltFlashSize = 0x90000;      // 576 KB
// The size of the software area was neither known one and not taken.
inline constexpr int kFlashSizeRefused = -53;

// Asks about a size other than the two known ones: the standard size
// instead, the reported one, or none (false).
bool confirmFlashSize(Session &state, TransferQuestions &questions, uint32_t &imageSize);

// Asks the controller for the size of its software area and confirms a
// strange one: the request layer's result, or kFlashSizeRefused. A run
// stopped meanwhile asks nothing. The caller holds the running flag.
int RequestImageSize(Session &state, TransferQuestions &questions, uint32_t &imageSize);

// The one piece of the image upload.
QList<TransferPiece> imagePieces(uint32_t imageSize);

} // namespace vestan
