// The rate probe on a hand-turned clock: the search moves on when a rate's
// time is up, stops at the first valid message, and says what it tried.

#include "protocol/commands/RateProbe.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using TStep = TRateProbe::TStep;

TEST(RateProbe, SearchStopsAtTheFirstRateWithValidMessages) {
    std::chrono::steady_clock::time_point now{};
    TRateProbe probe({9600, 38400, 115200}, 2000ms, [&] { return now; });
    EXPECT_EQ(probe.Current(), 9600);
    now += 1999ms;
    EXPECT_EQ(probe.Tick(), TStep::Stay);
    now += 1ms;
    EXPECT_EQ(probe.Tick(), TStep::Next);
    EXPECT_EQ(probe.Current(), 38400);
    now += 500ms;
    EXPECT_EQ(probe.Tick(), TStep::Stay); // its own two seconds, from the switch
    EXPECT_EQ(probe.Tried(), "9600: nothing valid, 38400: listening");
    EXPECT_EQ(probe.ValidMessage(), TStep::Found);
    now += 5000ms;
    EXPECT_EQ(probe.Tick(), TStep::Found);
    EXPECT_EQ(probe.Current(), 38400);
    EXPECT_EQ(probe.Tried(), "9600: nothing valid, 38400: valid messages");
}

TEST(RateProbe, EndsAfterTheLastRate) {
    std::chrono::steady_clock::time_point now{};
    TRateProbe probe({115200}, 3000ms, [&] { return now; });
    now += 3000ms;
    EXPECT_EQ(probe.Tick(), TStep::Exhausted);
    EXPECT_TRUE(probe.Done());
    EXPECT_EQ(probe.ValidMessage(), TStep::Exhausted); // too late to count
    EXPECT_EQ(probe.Tried(), "115200: nothing valid");
}
