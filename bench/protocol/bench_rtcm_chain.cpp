// Throughput of the receive chain on 1 MB of RTCM 3 MSM4 traffic (GPS,
// GLONASS, Galileo and BeiDou, as the simulated base station sends it): the
// framer alone, framer plus decoders plus receiver state (values only, as the
// window folds every message), and framer plus decoders with every field (as
// the Messages page shows one), each against a plain loop that computes the
// UBX checksum over every byte of the same buffer in the same run, timed in
// turn round after round (the ratios are medians of the rounds). Goals, as
// for mixed NMEA and UBX traffic: the framer at least a third of that loop's
// speed, the chain at least a tenth. Exits 1 when a goal is missed.

#include "bench/protocol/BestTime.h"
#include "bench/protocol/ChainWorks.h"
#include "protocol/decoding/Decoder.h"
#include "tools/receiver-sim/RtcmOutput.h"

#include <cstdio>
#include <string>

namespace {

constexpr std::size_t kTrafficBytes = 1 << 20;

std::string MsmTraffic() {
    NavigationModel model(1500000000, 11, true, false, 0, true);
    std::string traffic;
    while (traffic.size() < kTrafficBytes) {
        const NavigationSolution& s = model.Advance();
        for (const Gnss system : {Gnss::Gps, Gnss::Glonass, Gnss::Galileo, Gnss::BeiDou})
            if (const auto frame = RtcmMsm4Frame(system, s, kBaseStationId, true))
                traffic += *frame;
    }
    return traffic; // whole frames: a cut one would be framed as noise
}

} // namespace

int main() {
    const std::string traffic = MsmTraffic();
    const std::size_t bytes = traffic.size();

    // The last as the Messages page decodes a message it shows.
    const auto everyField = [&] {
        protocol::Framer f;
        std::uint64_t count = 0;
        f.Feed(traffic,
               [&count](protocol::Message&& m) { count += protocol::Decode(m).Fields.size(); });
        chainSink = count;
    };
    const std::vector<InTurn> measured = MeasureInTurn(
        bytes, {ChecksumLoopWork(traffic), FramerWork(traffic), ChainWork(traffic), everyField});
    const bool passed = PrintChainTable("1 MB of RTCM 3 MSM4 traffic", measured);
    PrintInTurn("framer + decoders, every field", measured[3]);
    return passed ? 0 : 1;
}
