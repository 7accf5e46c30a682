#pragma once
// Lets bytes out no faster than a line rate: credit accrues with time at the
// given bytes per second, up to a few milliseconds' worth, so output leaves
// in the small, steady pieces a UART at that rate would deliver.

#include <chrono>
#include <cstddef>

class OutputPacer {
public:
    using Clock = std::chrono::steady_clock;

    OutputPacer(double bytesPerSecond, Clock::time_point now);

    // Bytes that may go out at `now`.
    std::size_t Allowance(Clock::time_point now);
    // From now on, lets bytes out at this rate.
    void SetRate(double bytesPerSecond);
    void Spend(std::size_t bytes);
    // How long until one more byte may go out (zero when one may now).
    Clock::duration UntilNextByte() const;

private:
    double bytesPerSecond_;
    double burst_;
    double credit_ = 0;
    Clock::time_point last_;
};
