// Reading the configuration database page by page, against a scripted
// receiver that holds so many keys in each layer and answers every page
// asked in one receive interval at the next.

#include "protocol/commands/ConfigReadPlan.h"

#include <deque>
#include <gtest/gtest.h>
#include <map>

using namespace ubx;

namespace {

struct Reading {
    std::size_t polls = 0;
    std::size_t rounds = 0;
    std::size_t mostInFlight = 0;
    std::map<TConfigLayer, std::size_t> keys;
};

Reading ReadAll(std::span<const TConfigLayer> layers, std::map<TConfigLayer, std::size_t> held,
                std::size_t maxInFlight) {
    const std::uint32_t wildcards[] = {kAllConfigKeys};
    TConfigReadPlan plan(layers, wildcards, maxInFlight);
    Reading reading;
    while (!plan.Done()) {
        const std::vector<TConfigPage> pages = plan.Next();
        if (pages.empty())
            break; // stuck: the test fails below
        ++reading.rounds;
        reading.polls += pages.size();
        reading.mostInFlight = std::max(reading.mostInFlight, plan.InFlight());
        for (const TConfigPage& page : pages) {
            const std::size_t total = held[page.layer];
            const std::size_t values =
                page.position < total ? std::min<std::size_t>(64, total - page.position) : 0;
            reading.keys[page.layer] += values;
            plan.Answered(page, values);
        }
    }
    EXPECT_TRUE(plan.Done());
    return reading;
}

} // namespace

TEST(ConfigReadPlan, ReadsEveryKeyInFewRoundsAndAsksLittleBeyond) {
    const std::size_t table = ConfigKeys().size();
    const TConfigLayer all[] = {TConfigLayer::Ram, TConfigLayer::Bbr, TConfigLayer::Flash,
                                TConfigLayer::Default};
    const TConfigLayer ram[] = {TConfigLayer::Ram};
    struct Case {
        const char* what;
        std::span<const TConfigLayer> layers;
        std::map<TConfigLayer, std::size_t> held;
        std::size_t polls;
        std::size_t rounds;
    };
    const std::size_t pages = (table + 63) / 64;
    const Case cases[] = {
        {"a fresh receiver, all layers",
         all,
         {{TConfigLayer::Ram, table}, {TConfigLayer::Default, table}},
         2 * pages + 2,
         2},
        {"some keys stored in flash",
         all,
         {{TConfigLayer::Ram, table}, {TConfigLayer::Flash, 70}, {TConfigLayer::Default, table}},
         2 * pages + 3,
         2},
        {"a receiver with more keys than the table",
         ram,
         {{TConfigLayer::Ram, 64 * pages + 5}},
         pages + 1,
         2},
        {"a receiver with keys to a whole last page",
         ram,
         {{TConfigLayer::Ram, 64 * pages}},
         pages + 1,
         2},
    };
    for (const Case& each : cases) {
        Reading reading = ReadAll(each.layers, each.held, 24);
        for (const TConfigLayer layer : each.layers) {
            const auto held = each.held.find(layer);
            EXPECT_EQ(reading.keys[layer], held == each.held.end() ? 0 : held->second) << each.what;
        }
        EXPECT_EQ(reading.polls, each.polls) << each.what;
        EXPECT_EQ(reading.rounds, each.rounds) << each.what;
        EXPECT_LE(reading.mostInFlight, 24u) << each.what;
    }
    // One page at a time still reads everything.
    EXPECT_EQ(ReadAll(all, {{TConfigLayer::Ram, table}}, 1).keys[TConfigLayer::Ram], table);
}
