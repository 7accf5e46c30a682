#include "tools/receiver-sim/UbxTimeOutput.h"

#include "tools/receiver-sim/GpsTime.h"
#include "tools/receiver-sim/ReceiverClock.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <cmath>
#include <ctime>

namespace {
constexpr std::uint32_t kFrequencyAccuracyPsPerS = 120;
constexpr std::uint8_t kGpsTimeValid = 0x07; // time of week, week, leap seconds
constexpr std::uint8_t kUtcValid = 0x07;     // time of week, week, UTC
constexpr std::uint8_t kUtcByUsno = 3 << 4;  // the UTC that GPS broadcasts
constexpr std::uint8_t kLeapSecondsFromGps = 2;
constexpr std::uint8_t kCurrentLeapSecondsValid = 0x01; // no leap second announced
} // namespace

std::string NavTimegpsFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    PutSigned(payload, 0); // fTOW: the epoch falls on a whole millisecond
    PutSigned(payload, static_cast<double>(GpsWeek(s.utc)), 2);
    payload.push_back(static_cast<char>(kGpsLeapSeconds));
    payload.push_back(static_cast<char>(kGpsTimeValid));
    PutUnsigned(payload, kUbxTimeAccuracyNs, 4);
    return UbxFrame(kUbxClassNav, kUbxIdNavTimegps, payload);
}

std::string NavTimeutcFrame(const NavigationSolution& s) {
    std::tm t{};
    gmtime_r(&s.utc, &t);
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    PutUnsigned(payload, kUbxTimeAccuracyNs, 4);
    PutSigned(payload, s.millisecond * 1e6); // nano
    PutUnsigned(payload, static_cast<std::uint32_t>(t.tm_year + 1900), 2);
    for (int field : {t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec})
        payload.push_back(static_cast<char>(field));
    payload.push_back(static_cast<char>(kUtcValid | kUtcByUsno));
    return UbxFrame(kUbxClassNav, kUbxIdNavTimeutc, payload);
}

std::string NavClockFrame(const NavigationSolution& s) {
    const ClockError clock = ReceiverClockError(s.utc);
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    PutSigned(payload, clock.biasNs);
    PutSigned(payload, clock.driftNsPerSecond);
    PutUnsigned(payload, kUbxTimeAccuracyNs, 4);
    PutUnsigned(payload, kFrequencyAccuracyPsPerS, 4);
    return UbxFrame(kUbxClassNav, kUbxIdNavClock, payload);
}

// Version 0: the current leap seconds as GPS broadcasts them, no change
// announced.
std::string NavTimelsFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    payload.append(4, '\0'); // version, reserved
    payload.push_back(static_cast<char>(kLeapSecondsFromGps));
    payload.push_back(static_cast<char>(kGpsLeapSeconds));
    payload.append(13, '\0'); // source and size of a change, its time and date; reserved
    payload.push_back(static_cast<char>(kCurrentLeapSecondsValid));
    return UbxFrame(kUbxClassNav, kUbxIdNavTimels, payload);
}

std::string NavEoeFrame(const NavigationSolution& s) {
    std::string payload;
    PutUnsigned(payload, EpochTimeOfWeekMs(s), 4);
    return UbxFrame(kUbxClassNav, kUbxIdNavEoe, payload);
}
