#include "maker/tarvel/tarvel.h"

#include "maker/tarvel/headercheck.h"
#include "maker/tarvel/journallayout.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using vestan::journalformat::HeaderFields;
using vestan::journalformat::HeaderStatus;
namespace rec = vestan::journalrecord;

struct ErrorText
{
    HeaderStatus status;
    const char *utf8;
};

constexpr ErrorText kErrorTexts[] = {
    {HeaderStatus::Ok, "Заголовок журнала в порядке"},
    {HeaderStatus::NoData, "Нет данных заголовка журнала"},
    {HeaderStatus::Truncated, "Заголовок журнала обрезан: меньше 84 байт"},
    {HeaderStatus::BadSignature, "Это не журнал контроллера TARVEL: неверная сигнатура"},
    {HeaderStatus::UnknownVersion, "Неизвестная версия формата журнала"},
    {HeaderStatus::BadHeadCheck,
     "Начало заголовка журнала повреждено: контрольная сумма не совпадает"},
    {HeaderStatus::BadHeaderSize, "Недопустимый размер заголовка журнала"},
    {HeaderStatus::BadRecordSize, "Недопустимый размер записи журнала"},
    {HeaderStatus::BadRecordCount, "Недопустимое число записей журнала"},
    {HeaderStatus::BadVariables, "Недопустимое число переменных в записи журнала"},
    {HeaderStatus::BadDataSize, "Размер данных журнала не равен числу записей на размер записи"},
    {HeaderStatus::HeaderIncomplete, "Заголовок журнала неполный: байт меньше, чем его размер"},
    {HeaderStatus::BadBodyCheck, "Заголовок журнала повреждён: контрольная сумма не совпадает"},
};

constexpr const char *kUnknownCode = "Неизвестный код ошибки проверки журнала";

// The code page 1251 forms, made once and kept for the life of the process.
struct Texts
{
    std::vector<std::string> known;
    std::string unknown;

    Texts() : unknown(vestan::utf8ToCp1251(kUnknownCode))
    {
        for (const ErrorText &t : kErrorTexts)
            known.push_back(vestan::utf8ToCp1251(t.utf8));
    }
};

const Texts &texts()
{
    static const Texts instance;
    return instance;
}

template <std::size_t N>
void putText(uint8_t *record, std::size_t at, std::size_t size, const std::array<char, N> &text)
{
    // Both texts are NUL-terminated and no longer than their record fields.
    static_assert(N <= 76);
    std::memcpy(record + at, text.data(), std::min(size, N));
}

void fillRecord(uint8_t *record, const HeaderFields &f)
{
    using namespace vestan::journalformat::layout;
    putU32(record + rec::kValidFlag, 1);
    record[rec::kFormatVersion] = uint8_t(f.formatVersion);
    putText(record, rec::kVersionText, rec::kVersionTextSize, f.versionText);
    putJournalDateTime(record + rec::kFirstPowerOn, f.firstPowerOn);
    putJournalDateTime(record + rec::kLastPowerOn, f.lastPowerOn);
    putJournalDateTime(record + rec::kSettingsSaved, f.settingsSaved);
    putJournalDateTime(record + rec::kParametersRequested, f.parametersRequested);
    putText(record, rec::kControllerName, rec::kControllerNameSize, f.controllerName);
    putU16(record + rec::kRecordCount, uint16_t(f.recordCount));
    putU16(record + rec::kRecordSize, f.recordSize);
    putU16(record + rec::kMaxVariables, f.maxVariables);
    putU32(record + rec::kHeaderSize, f.headerSize);
    putU32(record + rec::kDataSize, f.dataSize);
}

static_assert(sizeof(HeaderFields::versionText) == rec::kVersionTextSize);
static_assert(sizeof(HeaderFields::controllerName) == rec::kControllerNameSize);
static_assert(vestan::kJournalHeadCheckSize == int(vestan::journalformat::layout::kHeadSize));

} // namespace

extern "C" int32_t _tj_ChkHeadStart(const void *header, int32_t size, void *journalHeaderOut)
{
    const std::span<const uint8_t> bytes(static_cast<const uint8_t *>(header),
                                         header && size > 0 ? std::size_t(size) : 0);
    if (!journalHeaderOut)
        return int32_t(vestan::journalformat::checkHeaderStart(bytes));

    auto *record = static_cast<uint8_t *>(journalHeaderOut);
    std::memset(record, 0, vestan::kJournalHeaderRecordSize);
    HeaderFields fields;
    const HeaderStatus status = vestan::journalformat::decodeHeader(bytes, fields);
    if (status == HeaderStatus::Ok)
        fillRecord(record, fields);
    return int32_t(status);
}

extern "C" const char *_tj_Err2str(int32_t code)
{
    try {
        const Texts &t = texts();
        for (std::size_t i = 0; i < std::size(kErrorTexts); ++i) {
            if (int32_t(kErrorTexts[i].status) == code)
                return t.known[i].c_str();
        }
        return t.unknown.c_str();
    } catch (...) {
        // Out of memory on the very first call: no exception may cross the C boundary.
        return "?";
    }
}
