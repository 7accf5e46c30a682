#pragma once
// GPS week and time of week of a UTC second. GPS time began at
// 1980-01-06 00:00:00 UTC and runs ahead of UTC by the leap seconds since.

#include <cstdint>
#include <ctime>

inline constexpr std::time_t kGpsEpochUtc = 315964800;
inline constexpr std::time_t kSecondsPerWeek = 604800;
inline constexpr int kGpsLeapSeconds = 18;

// Week and seconds into the week counted in UTC, as the PUBX time message reports them.
constexpr long UtcWeek(std::time_t utc) {
    return (utc - kGpsEpochUtc) / kSecondsPerWeek;
}
constexpr long UtcTimeOfWeek(std::time_t utc) {
    return (utc - kGpsEpochUtc) % kSecondsPerWeek;
}

// The GPS week and the milliseconds into it, as UBX navigation messages
// stamp their epoch.
constexpr long GpsWeek(std::time_t utc) {
    return (utc - kGpsEpochUtc + kGpsLeapSeconds) / kSecondsPerWeek;
}
constexpr std::uint32_t GpsTimeOfWeekMs(std::time_t utc) {
    return static_cast<std::uint32_t>((utc - kGpsEpochUtc + kGpsLeapSeconds) % kSecondsPerWeek) *
           1000;
}
