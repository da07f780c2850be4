// Fuzzes _tj_ChkHeadStart over arbitrary bytes and sizes. The first input byte
// picks the mode: bit 0 reseals both check values first, so that mutations
// reach the size rules behind them; bit 1 asks for the decoded record; bits
// 2-7 times 4 bytes are cut from the end of what is handed over.

#include "maker/tarvel/journalformat.h"
#include "maker/tarvel/journallayout.h"
#include "maker/tarvel/tarvel.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace vestan::journalformat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size > 1u << 20)
        return 0;
    const uint8_t mode = data[0];
    std::vector<uint8_t> bytes(data + 1, data + size);
    if ((mode & 1) && bytes.size() >= layout::kHeadSize) {
        const uint32_t declared = layout::getU32(&bytes[layout::kHeaderSizeAt]);
        if (declared >= layout::kHeadSize && declared <= bytes.size())
            layout::putU32(&bytes[layout::kBodyCrcAt],
                           crc32(std::span<const uint8_t>(bytes).subspan(
                               layout::kHeadSize, declared - layout::kHeadSize)));
        layout::putU32(&bytes[layout::kHeadCrcAt],
                       crc32(std::span<const uint8_t>(bytes).first(layout::kHeadCrcAt)));
    }
    const std::size_t cut = std::min<std::size_t>(bytes.size(), std::size_t(mode >> 2) * 4);
    const std::size_t given = bytes.size() - cut;
    // An exact-size copy, so that AddressSanitizer sees any read past it.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[given]);
    if (given > 0) // an empty vector may hand out a null pointer
        std::memcpy(exact.get(), bytes.data(), given);

    std::array<uint8_t, vestan::kJournalHeaderRecordSize> record;
    record.fill(0xAA);
    const int32_t code = _tj_ChkHeadStart(given ? exact.get() : nullptr, int32_t(given),
                                          (mode & 2) ? record.data() : nullptr);
    if (_tj_Err2str(code) == nullptr)
        std::abort();
    if (mode & 2) {
        const bool valid = record[0] != 0;
        if (valid != (code == 0))
            std::abort();
        if (code != 0) {
            for (uint8_t b : record)
                if (b != 0)
                    std::abort(); // a failure must leave no garbage behind
        } else {
            // Texts are terminated inside their fields.
            if (record[vestan::journalrecord::kVersionText + 63] != 0 ||
                record[vestan::journalrecord::kControllerName + 75] != 0)
                std::abort();
        }
    }
    return 0;
}
