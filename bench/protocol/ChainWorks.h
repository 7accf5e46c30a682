#pragma once
// What the receive-chain benchmarks time over one buffer of traffic: the limit
// they measure against, the UBX checksum pair computed one byte at a time as
// the plainest loop over every byte would (kept here, apart from the product's
// checksum, which takes eight bytes a step, so that the limit stays what it
// says); the framer alone; the framer with the decoders and the receiver state.

#include "bench/protocol/BestTime.h"
#include "protocol/framing/Framer.h"
#include "protocol/state/ReceiverState.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

inline volatile std::uint64_t chainSink; // keeps results alive

std::uint32_t ChecksumLoop(std::string_view bytes);

inline std::function<void()> ChecksumLoopWork(std::string_view traffic) {
    return [traffic] { chainSink = ChecksumLoop(traffic); };
}

inline std::function<void()> FramerWork(std::string_view traffic) {
    return [traffic] {
        protocol::Framer framer;
        std::uint64_t count = 0;
        framer.Feed(traffic, [&count](protocol::Message&&) { ++count; });
        chainSink = count;
    };
}

inline std::function<void()> ChainWork(std::string_view traffic) {
    return [traffic] {
        protocol::Framer framer;
        protocol::ReceiverState state;
        framer.Feed(traffic, [&state](protocol::Message&& m) { state.Fold(m, 0.0); });
        chainSink = state.Snapshot(1.0).Messages.size();
    };
}

// Prints the limit, framer and chain rows of measured (in that order) under
// title; true when the framer reaches a third of the limit's speed and the
// chain a tenth.
inline bool PrintChainTable(const char* title, const std::vector<InTurn>& measured) {
    constexpr double kFramerGoal = 1.0 / 3, kChainGoal = 0.1;
    std::printf("%-34s %10s %10s %8s\n", title, "MB/s", "ratio", "goal");
    PrintInTurn("UBX checksum over every byte", measured[0]);
    PrintInTurn("framer", measured[1], kFramerGoal);
    PrintInTurn("framer + decoders + state", measured[2], kChainGoal);
    return measured[1].Ratio >= kFramerGoal && measured[2].Ratio >= kChainGoal;
}
