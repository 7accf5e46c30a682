// Throughput of the receive chain on 1 MB of mixed receiver output (NMEA,
// PUBX and UBX, as the simulated receiver sends it with UBX on): the framer
// alone, and framer plus decoders plus receiver state, each against a plain
// loop that computes the UBX checksum over every byte of the same buffer in
// the same run, timed in turn round after round (the ratios are medians of
// the rounds). Goals: the framer at least a third of that loop's speed, the
// whole chain at least a tenth. Exits 1 when a goal is missed.

#include "bench/protocol/BestTime.h"
#include "bench/protocol/ChainWorks.h"
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

} // namespace

int main() {
    const std::string traffic = MixedTraffic();

    const std::vector<InTurn> measured = MeasureInTurn(
        kTrafficBytes, {ChecksumLoopWork(traffic), FramerWork(traffic), ChainWork(traffic)});
    return PrintChainTable("1 MB of mixed traffic", measured) ? 0 : 1;
}
