#pragma once
// The seven thread priority levels that the serial port's reader and the
// widgets' flash worker offer, and how they map onto Linux scheduling.

#include <cstdint>
#include <pthread.h>

enum TThreadPriority : std::uint8_t {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// Linux gives an unprivileged program nothing above normal, so the higher
// levels run as normal; the lower ones use the batch and idle classes.
// Failures leave the thread as it was: a priority is a wish, not a duty.
void ApplyThreadPriority(pthread_t thread, TThreadPriority priority);
