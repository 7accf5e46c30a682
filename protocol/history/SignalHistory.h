#pragma once
// The signal strength (C/N0) of every satellite in view, epoch by epoch,
// keyed by the epoch's UTC time, for charts over time. Epochs come in time
// order; one at the newest epoch's time replaces it, and one earlier than it
// means the receiver's clock started again (another drive, another
// recording): the history starts afresh with it.
//
// Memory is bounded three ways: an hour of epochs before the newest, at most
// kMaxEpochs epochs and kMaxSamples satellites in all, the oldest epochs
// going first. A satellite takes 4 bytes and an epoch 16, so the history
// stays under 5 MB; an hour at 1 Hz with 40 satellites in view takes about
// 600 kB.

#include "protocol/state/ReceiverState.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace protocol {

struct SatelliteId {
    Constellation System = Constellation::Unknown;
    int Number = 0;
    friend auto operator<=>(const SatelliteId&, const SatelliteId&) = default;
};

// A value at a time; NaN where there is none.
struct TimedValue {
    double UtcSeconds = 0;
    double Value = 0;
};

class SignalHistory {
public:
    static constexpr double kKeptSeconds = 3600;
    static constexpr std::size_t kMaxEpochs = 36000; // an hour at 10 Hz
    static constexpr std::size_t kMaxSamples = 1000000;

    // The satellites in view at the epoch at utcSeconds (UTC seconds since
    // 1970); stale ones are left out.
    void Add(double utcSeconds, const std::vector<TrackedSatellite>& satellites);
    void Clear();

    // The newest epoch's time; nothing while the history is empty.
    std::optional<double> Newest() const;
    std::size_t EpochCount() const { return epochs_.size(); }
    std::size_t SampleCount() const { return samples_.size(); }

    // Every satellite in view at an epoch from utcSeconds on, in order.
    std::vector<SatelliteId> SatellitesSince(double utcSeconds) const;
    // Per epoch from utcSeconds on: the satellite's C/N0 in dBHz, NaN where
    // it was not in view or not tracked.
    std::vector<TimedValue> Cn0Since(const SatelliteId& satellite, double utcSeconds) const;
    // Per epoch from utcSeconds on: the mean C/N0 of the strongest count
    // satellites tracked (of all of them where fewer are), NaN where none is.
    std::vector<TimedValue> StrongestMeanSince(std::size_t count, double utcSeconds) const;
    // Per epoch from utcSeconds on: how many satellites were in view.
    std::vector<TimedValue> InViewSince(double utcSeconds) const;

private:
    struct Sample {
        std::uint16_t Number;
        std::uint8_t System;
        std::uint8_t Cn0; // dBHz; 0: not tracked
    };
    struct Epoch {
        double UtcSeconds;
        std::size_t Samples; // how many of samples_ are this epoch's
    };

    void DropOldest();
    // Calls visit(utcSeconds, first, end) for each epoch from utcSeconds on,
    // with the range of its samples.
    template <typename Visit> void EachEpochSince(double utcSeconds, Visit visit) const;

    std::deque<Epoch> epochs_;   // oldest first
    std::deque<Sample> samples_; // epoch after epoch
};

} // namespace protocol
