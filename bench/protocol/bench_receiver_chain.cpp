// Throughput of the receive chain on 1 MB of mixed receiver output (NMEA,
// PUBX and UBX, as the simulated receiver sends it with UBX on): the framer
// alone, and framer plus decoders plus receiver state, each against a plain
// loop that computes the UBX checksum over every byte of the same buffer in
// the same run. Goals: the framer at least a third of that loop's speed, the
// whole chain at least a tenth. Exits 1 when a goal is missed.

#include "bench/protocol/BestThroughput.h"
#include "protocol/UbxFrame.h"
#include "protocol/decoding/Decoder.h"
#include "protocol/framing/Framer.h"
#include "protocol/state/ReceiverState.h"
#include "tools/receiver-sim/NmeaOutput.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <cstdio>
#include <string>

namespace {

constexpr std::size_t kTrafficBytes = 1 << 20;

std::string MixedTraffic() {
    NavigationModel model(1500000000, 11);
    std::string traffic;
    while (traffic.size() < kTrafficBytes) {
        const NavigationSolution& s = model.Advance();
        for (auto id : kStandardMessages)
            for (const auto& sentence : StandardMessage(id, s))
                traffic += sentence;
        traffic += NavPosllhFrame(s) + NavStatusFrame(s) + NavPvtFrame(s) + NavSatFrame(s) +
                   NavDopFrame(s);
        traffic += Pubx00Position(s) + Pubx03SatelliteStatus(s);
    }
    traffic.resize(kTrafficBytes);
    return traffic;
}

volatile std::uint64_t sink; // keeps results alive

} // namespace

int main() {
    const std::string traffic = MixedTraffic();

    const double checksum = BestThroughput(kTrafficBytes, [&] {
        const TUbxChecksum sum = UbxChecksum(std::string_view(traffic));
        sink = sum.CK_A + sum.CK_B;
    });
    const double framer = BestThroughput(kTrafficBytes, [&] {
        protocol::Framer f;
        std::uint64_t count = 0;
        f.Feed(traffic, [&count](protocol::Message&&) { ++count; });
        sink = count;
    });
    const double chain = BestThroughput(kTrafficBytes, [&] {
        protocol::Framer f;
        protocol::ReceiverState state;
        f.Feed(traffic, [&state](protocol::Message&& m) { state.Fold(m, 0.0); });
        sink = state.Snapshot(1.0).Messages.size();
    });

    const double framerRatio = framer / checksum;
    const double chainRatio = chain / checksum;
    std::printf("%-34s %10s %10s %8s\n", "1 MB of mixed traffic", "MB/s", "ratio", "goal");
    std::printf("%-34s %10.0f %10.3f %8s\n", "UBX checksum over every byte", checksum / 1e6, 1.0,
                "");
    std::printf("%-34s %10.0f %10.3f %8.3f\n", "framer", framer / 1e6, framerRatio, 1.0 / 3);
    std::printf("%-34s %10.0f %10.3f %8.3f\n", "framer + decoders + state", chain / 1e6, chainRatio,
                0.1);
    return framerRatio >= 1.0 / 3 && chainRatio >= 0.1 ? 0 : 1;
}
