#pragma once
// Tries line rates one after the other until one carries valid messages:
// the monitor's baud search (the common rates, about 2 s each) and the check
// after it changed the receiver's rate (the new rate alone, 3 s). Valid means
// a UBX frame or an NMEA sentence with a right checksum: bytes at a wrong
// rate give noise, never a checksum that adds up. The caller moves the port
// to Current() whenever a step says so; time comes from an injectable clock.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TRateProbe {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    enum class TStep { Stay, Next, Found, Exhausted };

    // rates must not be empty.
    TRateProbe(std::vector<std::int32_t> rates, std::chrono::milliseconds dwell,
               Clock clock = std::chrono::steady_clock::now);

    std::int32_t Current() const { return rates_[index_]; }
    bool Done() const { return done_; }

    // A message with a right checksum arrived at the current rate.
    TStep ValidMessage();
    // Called now and then: moves on when the current rate's time is up.
    TStep Tick();

    // What was tried so far: "9600: nothing valid, 38400: valid messages".
    std::string Tried() const;

private:
    std::vector<std::int32_t> rates_;
    std::chrono::milliseconds dwell_;
    Clock clock_;
    std::size_t index_ = 0;
    bool done_ = false;
    bool found_ = false;
    std::chrono::steady_clock::time_point since_;
};

// The line rates a u-blox receiver is found at, the most likely first: its
// factory rate, then the rates configuration tools set most.
const std::vector<std::int32_t>& LikelyReceiverRates();
