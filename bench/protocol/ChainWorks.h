#pragma once
// What the receive-chain benchmarks time over one buffer of traffic: the limit
// they measure against, the UBX checksum pair computed one byte at a time as
// the plainest loop over every byte would (kept here, apart from the product's
// checksum, which takes eight bytes a step, so that the limit stays what it
// says); the framer alone; the framer with the decoders and the receiver state.

#include "protocol/framing/Framer.h"
#include "protocol/state/ReceiverState.h"

#include <cstdint>
#include <functional>
#include <string_view>

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
