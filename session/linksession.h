#pragma once

#include <QString>
#include <cstdint>

namespace vestan {

inline constexpr int kPhoneCapacity = 48;
inline constexpr uint16_t kPortionSizes[8] = {16, 32, 64, 128, 256, 512, 1000, 1024};

// What the link tool bar keeps besides the channel, and the journal status
// line values that RefreshLinkStatus draws.
struct LinkSession
{
    int32_t rememberedPort = 1; // port of the last successful open; saved as ComPort
    QString phoneNumber;        // at most kPhoneCapacity characters
    int sizeItem = -1;          // into kPortionSizes as chosen in CBoxSize; -1 none yet, saved as 0
    uint16_t portionSize = 1024;
    QString lastJournalFile;
    uint32_t lastHeaderSize = 0;
    uint32_t lastDataSize = 0;
};

// Brings the link tool bar and the journal status line up to date. The tool
// bar implements it; transfers call it when they set and clear `running`.
class LinkStatusDisplay
{
public:
    virtual ~LinkStatusDisplay() = default;
    virtual void RefreshLinkStatus() = 0;
    // Whether the last refresh drew an operation under way.
    virtual bool showsRunning() const = 0;
};

} // namespace vestan
