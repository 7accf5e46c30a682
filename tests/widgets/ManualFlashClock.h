#pragma once
// Drives the flash service by hand: while an object of this class lives, the
// service's clock is its `now` and ticks run only through Tick, so schedules
// are tested without sleeping and without stray ticks from the worker.

#include "widgets/FlashTimer.h"

#include <cstdint>

class ManualFlashClock {
public:
    ManualFlashClock() {
        SetFlashClock([this] { return now; });
    }
    ~ManualFlashClock() { SetFlashClock({}); }
    ManualFlashClock(const ManualFlashClock&) = delete;
    ManualFlashClock& operator=(const ManualFlashClock&) = delete;

    // Moves time on by ms and runs one tick of the service.
    void Tick(std::uint64_t ms = 16) {
        now += ms;
        RunFlashTick();
    }

    std::uint64_t now = 1'000'000;
};
