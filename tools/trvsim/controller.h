#pragma once

#include "maker/tarvel/journalformat.h"
#include "protocol/protocol.h"
#include "tools/trvsim/options.h"
#include "tools/trvsim/simclock.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace vestan::trvsim {

using Bytes = std::vector<uint8_t>;

// The journal the simulated controller keeps, from the options.
journalformat::JournalSpec journalSpecFor(const SimOptions &options);
// The software image: `size` deterministic bytes.
Bytes flashImage(uint32_t size);

// The controller behind the line: answers request packets (the payload of a
// frame) for its objects. Requests for another network number are not its
// business; the line server filters them.
class Controller
{
public:
    explicit Controller(const SimOptions &options);

    // The reply packet, or nothing when the controller stays silent (a
    // broken request, an unknown command, the version object switched off).
    std::optional<Bytes> handle(const uint8_t *request, size_t length);

    // The current bytes of an object; nothing for an object the controller
    // does not have (0x0B03 when switched off).
    std::optional<Bytes> objectBytes(uint16_t code);

    const journalformat::JournalSpec &journalSpec() const { return spec_; }
    const journalformat::Journal &journal() const { return journal_; }
    SimClock &clock() { return clock_; }

private:
    Bytes search(const uint8_t *key, size_t length);
    // Bytes written to an object: how many were taken.
    uint16_t write(uint16_t code, const uint8_t *data, size_t length);
    // The object's bytes as a view (large objects are not copied).
    bool view(uint16_t code, const uint8_t *&data, size_t &size);

    SimOptions options_;
    journalformat::JournalSpec spec_;
    journalformat::Journal journal_;
    Bytes flash_;
    SimClock clock_;
    Bytes lastSearch_ = Bytes(kRecordStampSize, 0);
    Bytes scratch_;
};

} // namespace vestan::trvsim
