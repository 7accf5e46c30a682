#include "protocol/history/SignalHistory.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace protocol;

namespace {

TrackedSatellite Sv(Constellation system, int number, std::optional<int> cn0, bool stale = false) {
    TrackedSatellite satellite;
    satellite.System = system;
    satellite.Number = number;
    satellite.Cn0DbHz = cn0;
    satellite.Stale = stale;
    return satellite;
}

// The values as text, "-" for none, so a whole series compares at once.
std::string Text(const std::vector<TimedValue>& values) {
    std::string text;
    for (const TimedValue& value : values)
        text += std::to_string(static_cast<int>(value.UtcSeconds)) + "=" +
                (std::isnan(value.Value) ? std::string("-")
                                         : std::to_string(std::lround(value.Value * 10))) +
                " ";
    return text;
}

constexpr auto Gps = Constellation::Gps;
constexpr auto Galileo = Constellation::Galileo;

} // namespace

TEST(SignalHistory, SeriesPerEpoch) {
    SignalHistory history;
    history.Add(
        100, {Sv(Gps, 5, 40), Sv(Gps, 7, 30), Sv(Galileo, 5, 44), Sv(Gps, 9, 20), Sv(Gps, 12, 10)});
    history.Add(101, {Sv(Gps, 7, 31), Sv(Galileo, 5, std::nullopt), Sv(Gps, 5, 50, true)});
    history.Add(102, {});
    history.Add(103, {Sv(Gps, 5, 42)});

    // Not in view, not tracked and stale read as no value.
    EXPECT_EQ(Text(history.Cn0Since({Gps, 5}, 0)), "100=400 101=- 102=- 103=420 ");
    EXPECT_EQ(Text(history.Cn0Since({Galileo, 5}, 0)), "100=440 101=- 102=- 103=- ");
    // The strongest four of five; fewer where fewer are tracked.
    EXPECT_EQ(Text(history.StrongestMeanSince(4, 0)), "100=335 101=310 102=- 103=420 ");
    EXPECT_EQ(Text(history.InViewSince(0)), "100=50 101=20 102=0 103=10 ");
    EXPECT_EQ(Text(history.InViewSince(101)), "101=20 102=0 103=10 ");
    EXPECT_EQ(history.SatellitesSince(101),
              (std::vector<SatelliteId>{{Gps, 5}, {Gps, 7}, {Galileo, 5}}));
}

TEST(SignalHistory, EpochsComeInTimeOrder) {
    SignalHistory history;
    history.Add(100, {Sv(Gps, 5, 40)});
    history.Add(101, {Sv(Gps, 5, 41), Sv(Gps, 6, 41)});
    history.Add(101, {Sv(Gps, 5, 45)}); // the same epoch told again
    EXPECT_EQ(Text(history.Cn0Since({Gps, 5}, 0)), "100=400 101=450 ");
    EXPECT_EQ(history.SampleCount(), 2u);
    history.Add(50, {Sv(Gps, 5, 30)}); // the clock started again
    EXPECT_EQ(Text(history.Cn0Since({Gps, 5}, 0)), "50=300 ");
}

TEST(SignalHistory, MemoryIsBounded) {
    SignalHistory history;
    for (int second = 0; second <= 4000; ++second)
        history.Add(second, {Sv(Gps, 1, 40)});
    EXPECT_EQ(history.EpochCount(), SignalHistory::kKeptSeconds + 1); // the last hour
    EXPECT_EQ(history.InViewSince(0).front().UtcSeconds, 4000 - SignalHistory::kKeptSeconds);

    history.Clear();
    for (int epoch = 0; epoch < 40000; ++epoch)
        history.Add(epoch * 0.05, {Sv(Gps, 1, 40)});
    EXPECT_EQ(history.EpochCount(), SignalHistory::kMaxEpochs);

    history.Clear();
    const std::vector<TrackedSatellite> crowd(300, Sv(Gps, 1, 40));
    for (int second = 0; second < 4000; ++second)
        history.Add(second, crowd);
    EXPECT_LE(history.SampleCount(), SignalHistory::kMaxSamples);
    EXPECT_GT(history.SampleCount(), SignalHistory::kMaxSamples - crowd.size());
    EXPECT_EQ(history.InViewSince(0).back().UtcSeconds, 3999);
}
