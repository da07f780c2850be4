#include "tools/trvsim/controller.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vestan::trvsim {
namespace {

void put16(Bytes &out, uint16_t v)
{
    out.resize(out.size() + 2);
    putU16(out.data() + out.size() - 2, v);
}

void put32(Bytes &out, uint32_t v)
{
    out.resize(out.size() + 4);
    putU32(out.data() + out.size() - 4, v);
}

void putFloat(Bytes &out, float f)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    put32(out, bits);
}

// Journals above this would not fit a simulator's memory comfortably.
constexpr uint64_t kMaxJournalData = uint64_t(512) << 20;

} // namespace

journalformat::JournalSpec journalSpecFor(const SimOptions &options)
{
    journalformat::JournalSpec spec;
    spec.controllerName = "Контроллер TARVEL (симулятор)";
    spec.versionText = "trvsim 1.0, обработчик запросов 2.1";
    spec.firstPowerOn = {2023, 3, 14, 8, 0, 0, 0};
    spec.lastPowerOn = {2024, 5, 20, 7, 30, 15, 0};
    spec.settingsSaved = {2024, 5, 18, 16, 45, 0, 0};
    spec.parametersRequested = {2024, 5, 20, 7, 31, 2, 0};
    spec.recordCount = options.records;
    spec.recordSize = options.recordSize;
    spec.maxVariables = options.variables;
    spec.firstRecord = {2024, 5, 20, 7, 31, 5, 250};
    spec.recordIntervalMs = 1500;
    return spec;
}

Bytes flashImage(uint32_t size)
{
    Bytes image(size);
    uint32_t x = 0x9E3779B9u;
    for (uint32_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image[i] = uint8_t(x >> 24);
    }
    return image;
}

Controller::Controller(const SimOptions &options)
    : options_(options), spec_(journalSpecFor(options))
{
    journalformat::validateSpec(spec_);
    if (journalformat::dataSize(spec_) > kMaxJournalData)
        throw std::invalid_argument("the journal data area would exceed 512 MiB");
    journal_ = journalformat::generateJournal(spec_);
    flash_ = flashImage(options.flashSize);
}

bool Controller::view(uint16_t code, const uint8_t *&data, size_t &size)
{
    const Bytes *whole = nullptr;
    switch (code) {
    case ObjFlash:
        whole = &flash_;
        break;
    case ObjJournalHeader:
        whole = &journal_.header;
        break;
    case ObjJournalData:
        whole = &journal_.data;
        break;
    case ObjRecordSearch:
        whole = &lastSearch_;
        break;
    case ObjHandlerVersion: {
        if (!options_.handlerVersion)
            return false;
        const HandlerVersion &v = *options_.handlerVersion;
        scratch_.assign(v.number, v.number + 4);
        put16(scratch_, v.year);
        scratch_.push_back(v.month);
        scratch_.push_back(v.day);
        whole = &scratch_;
        break;
    }
    case ObjDateTime: {
        scratch_.resize(kCtlDateTimeSize);
        putCtlDateTime(scratch_.data(), clock_.read());
        whole = &scratch_;
        break;
    }
    case ObjPower:
        scratch_.clear();
        putFloat(scratch_, options_.power.voltage);
        putFloat(scratch_, options_.power.frequency);
        putFloat(scratch_, options_.power.temperature);
        whole = &scratch_;
        break;
    default:
        data = nullptr;
        size = 0;
        return false;
    }
    data = whole->data();
    size = whole->size();
    return true;
}

std::optional<Bytes> Controller::objectBytes(uint16_t code)
{
    const uint8_t *data = nullptr;
    size_t size = 0;
    if (!view(code, data, size))
        return std::nullopt;
    return Bytes(data, data + size);
}

Bytes Controller::search(const uint8_t *key, size_t length)
{
    uint8_t raw[kRecordStampSize] = {};
    std::memcpy(raw, key, std::min(length, sizeof raw));
    putRecordStamp(lastSearch_.data(), journalformat::findRecord(spec_, getRecordStamp(raw).stamp));
    return lastSearch_;
}

uint16_t Controller::write(uint16_t code, const uint8_t *data, size_t length)
{
    switch (code) {
    case ObjDateTime: {
        if (length != kCtlDateTimeSize)
            return 0;
        return clock_.set(getCtlDateTime(data)) ? uint16_t(length) : 0;
    }
    case ObjRecordSearch:
        if (length != kRecordStampSize)
            return 0;
        search(data, length);
        return uint16_t(length);
    default:
        return 0; // the other objects are read-only
    }
}

std::optional<Bytes> Controller::handle(const uint8_t *request, size_t length)
{
    if (length < packet::kSizeRequestLength)
        return std::nullopt;
    const uint8_t command = request[packet::kCommandAt];
    const uint16_t code = getU16(request + packet::kObjectAt);
    if (code == ObjHandlerVersion && !options_.handlerVersion)
        return std::nullopt; // a very old controller does not know the object
    Bytes reply(request, request + packet::kCountAt);
    reply.reserve(1100);
    const uint8_t *data = nullptr;
    size_t size = 0;
    switch (command) {
    case CmdSize:
        if (length != packet::kSizeRequestLength)
            return std::nullopt;
        view(code, data, size);
        put32(reply, uint32_t(size));
        return reply;
    case CmdQuery: {
        if (length < packet::kQueryDataAt)
            return std::nullopt;
        const uint16_t count = getU16(request + packet::kCountAt);
        const size_t argument = length - packet::kQueryDataAt;
        if (argument != 0 && argument != count)
            return std::nullopt;
        if (code == ObjRecordSearch)
            search(request + packet::kQueryDataAt, argument);
        view(code, data, size);
        const size_t n = std::min<size_t>(count, size);
        put16(reply, uint16_t(n));
        reply.insert(reply.end(), data, data + n);
        return reply;
    }
    case CmdBlock: {
        if (length != packet::kBlockDataAt)
            return std::nullopt;
        const uint16_t count = getU16(request + packet::kCountAt);
        const uint32_t offset = getU32(request + packet::kBlockOffsetAt);
        view(code, data, size);
        const size_t n = offset < size ? std::min<size_t>(count, size - offset) : 0;
        put16(reply, uint16_t(n));
        put32(reply, offset);
        if (n > 0)
            reply.insert(reply.end(), data + offset, data + offset + n);
        return reply;
    }
    case CmdWrite: {
        constexpr size_t at = packet::kQueryDataAt;
        if (length < at || length - at != getU16(request + packet::kCountAt))
            return std::nullopt;
        put16(reply, write(code, request + at, length - at));
        return reply;
    }
    default:
        return std::nullopt;
    }
}

} // namespace vestan::trvsim
