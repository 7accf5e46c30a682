#pragma once
// The receiver's fixes over time, one record per navigation epoch, timed by
// the receiver's own UTC time of the epoch (so a fast replay keeps a drive's
// times). Bounded: past kMaxFixes the oldest fix goes first. A record takes
// 104 bytes, and 112 with the store's own share, so the 864 000 fixes
// of 24 hours at 10 Hz take about 97 MB.

#include <cstddef>
#include <deque>
#include <optional>
#include <ranges>

namespace protocol {

enum class FixKind : unsigned char {
    NoFix,
    Fix2D,
    Fix3D,
    Dgnss,
    RtkFloat,
    RtkFixed,
    DeadReckoning
};

struct FixRecord {
    // Seconds since 1970-01-01 UTC; the time of day alone (since midnight)
    // while no message has told the date.
    double UtcSeconds = 0;
    double Latitude = 0, Longitude = 0;                   // degrees
    std::optional<double> HeightMsl{}, HeightEllipsoid{}; // metres
    FixKind Kind = FixKind::NoFix;
    bool DateKnown = false;
    int SatellitesUsed = -1; // -1 when no message told
    std::optional<float> Hdop{}, Vdop{}, Pdop{}, SpeedMps{}, HorizontalAccuracyM{};
    friend bool operator==(const FixRecord&, const FixRecord&) = default;
};

class PositionHistory {
public:
    static constexpr std::size_t kMaxFixes = 24 * 3600 * 10;
    using Range = std::ranges::subrange<std::deque<FixRecord>::const_iterator>;

    explicit PositionHistory(std::size_t maxFixes = kMaxFixes) : maxFixes_(maxFixes) {}

    void Add(const FixRecord& fix);
    void Clear() { fixes_.clear(); }
    std::size_t size() const { return fixes_.size(); }
    bool empty() const { return fixes_.empty(); }
    // Oldest first.
    const FixRecord& operator[](std::size_t index) const { return fixes_[index]; }
    Range All() const { return {fixes_.begin(), fixes_.end()}; }
    // The newest fixes timed at or after utcSeconds: the run back from the
    // newest until an older one (a replay started over ends the run too).
    Range Since(double utcSeconds) const;

private:
    std::size_t maxFixes_;
    std::deque<FixRecord> fixes_;
};

} // namespace protocol
