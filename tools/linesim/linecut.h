#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vestan::linesim {

struct CutConfig
{
    std::optional<std::uint64_t> after; // live bytes (both ways) before the first cut
    std::uint64_t every = 0;            // live bytes between two cuts, 0 = cut once
    std::int64_t durationNs = 0;
};

// When the whole line goes dead. Shared by both directions: it counts the
// bytes that passed either way while the line was alive; the moment `after`
// of them have passed, the line dies and every byte offered in the next
// `durationNs` is lost. With `every`, it dies again each time that many more
// bytes have passed.
// Time comes in from the caller, so the schedule does no I/O.
class LineCut
{
public:
    explicit LineCut(const CutConfig &config);

    struct Run
    {
        std::size_t length; // leading bytes of the offered chunk that share one fate
        bool dead;
    };

    // Splits off the leading run of an offered chunk of `size` (> 0) bytes
    // that either passes or is lost; call again for the rest of the chunk.
    Run next(std::size_t size, std::int64_t nowNs);

    bool deadAt(std::int64_t nowNs) const { return deadUntil_ && nowNs < *deadUntil_; }
    std::uint64_t cuts() const { return cuts_; }

private:
    void openWindow(std::int64_t nowNs);

    std::optional<std::uint64_t> nextCutAt_;
    std::uint64_t every_;
    std::int64_t durationNs_;
    std::uint64_t livePassed_ = 0;
    std::optional<std::int64_t> deadUntil_;
    std::uint64_t cuts_ = 0;
};

} // namespace vestan::linesim
