#pragma once

#include <QStringList>
#include <cstdint>

namespace vestan::trvclnk {

// What one port did since the library was loaded.
struct LinkStatistics
{
    bool everOpened = false;
    uint64_t opens = 0;
    uint64_t openFailures = 0;
    uint64_t dials = 0;
    uint64_t dialFailures = 0;
    uint64_t requests = 0;      // requests sent
    uint64_t replies = 0;       // replies delivered to the caller
    uint64_t timeouts = 0;      // attempts that ended without a reply
    uint64_t crcErrors = 0;     // attempts that ended on a broken check sum
    uint64_t malformed = 0;     // attempts that ended on a broken frame or reply
    uint64_t oversize = 0;      // replies refused as larger than the buffer
    uint64_t writeErrors = 0;   // requests that could not be sent
    uint64_t deviceErrors = 0;  // the device failed while reading
    uint64_t foreignFrames = 0; // frames for another network number, ignored
    uint64_t strayFrames = 0;   // frames answering another request, ignored
    uint64_t garbageBytes = 0;  // bytes that belonged to no good frame
    uint64_t bytesSent = 0;
    uint64_t bytesReceived = 0;
    uint64_t sessionsEnded = 0;   // _trvCL_fSetEvent(port, 1)
    uint64_t connectionsLost = 0; // network connections that dropped during an attempt
    uint64_t reconnects = 0;      // connects made again after that

    // The line's round trip, from a request's last byte to its reply's first,
    // smoothed over the exchanges; 0 until one was measured.
    double roundTripMs = 0;
    void noteRoundTrip(double ms, double replyTimeoutMs);

    // Replies followed on the line by bytes that are no frame start (counted
    // in `replies` too), and so read again to compare.
    uint64_t doubtfulReplies = 0;

    uint64_t failedAttempts() const
    {
        return timeouts + crcErrors + malformed + oversize + writeErrors + deviceErrors;
    }
};

// The statistics as "label: value" lines in Russian, for the dialog.
struct StatisticsLine
{
    QString label;
    QString value;
};
QList<StatisticsLine> statisticsLines(const LinkStatistics &stats);

} // namespace vestan::trvclnk
