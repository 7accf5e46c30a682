#pragma once
// The error of the receiver's clock against GPS time: it runs slow by some
// 2.66 µs a second, wandering a little, and is steered back by whole
// milliseconds, so its bias stays within a millisecond. PUBX 04 and
// NAV-CLOCK report the same clock.

#include "tools/receiver-sim/GpsTime.h"

#include <cmath>
#include <ctime>

struct ClockError {
    double biasNs = 0;
    double driftNsPerSecond = 0;
};

inline ClockError ReceiverClockError(std::time_t utc) {
    const double drift = -2660.664 + 3.0 * std::sin(static_cast<double>(utc) / 300.0);
    const double bias =
        std::fmod(std::fabs(drift) * static_cast<double>((utc - kGpsEpochUtc) % 100000), 1e6);
    return {bias, drift};
}
