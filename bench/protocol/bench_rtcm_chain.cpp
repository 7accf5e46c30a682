// Throughput of the receive chain on 1 MB of RTCM 3 MSM4 traffic (GPS,
// GLONASS, Galileo and BeiDou, as the simulated base station sends it): the
// framer alone, framer plus decoders plus receiver state (values only, as the
// window folds every message), and framer plus decoders with every field (as
// the Messages page shows one), each against a plain loop that computes the
// UBX checksum over every byte of the same buffer in the same run. Goals, as
// for mixed NMEA and UBX traffic: the framer at least a third of that loop's
// speed, the chain at least a tenth. Exits 1 when a goal is missed.

#include "bench/protocol/BestThroughput.h"
#include "protocol/UbxFrame.h"
#include "protocol/decoding/Decoder.h"
#include "protocol/framing/Framer.h"
#include "protocol/state/ReceiverState.h"
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

volatile std::uint64_t sink; // keeps results alive

} // namespace

int main() {
    const std::string traffic = MsmTraffic();
    const std::size_t bytes = traffic.size();

    const double checksum = BestThroughput(bytes, [&] {
        const TUbxChecksum sum = UbxChecksum(std::string_view(traffic));
        sink = sum.CK_A + sum.CK_B;
    });
    const double framer = BestThroughput(bytes, [&] {
        protocol::Framer f;
        std::uint64_t count = 0;
        f.Feed(traffic, [&count](protocol::Message&&) { ++count; });
        sink = count;
    });
    const double chain = BestThroughput(bytes, [&] {
        protocol::Framer f;
        protocol::ReceiverState state;
        f.Feed(traffic, [&state](protocol::Message&& m) { state.Fold(m, 0.0); });
        sink = state.Snapshot(1.0).Messages.size();
    });
    const double fields = BestThroughput(bytes, [&] {
        protocol::Framer f;
        std::uint64_t count = 0;
        f.Feed(traffic,
               [&count](protocol::Message&& m) { count += protocol::Decode(m).Fields.size(); });
        sink = count;
    });

    const double framerRatio = framer / checksum;
    const double chainRatio = chain / checksum;
    std::printf("%-34s %10s %10s %8s\n", "1 MB of RTCM 3 MSM4 traffic", "MB/s", "ratio", "goal");
    std::printf("%-34s %10.0f %10.3f %8s\n", "UBX checksum over every byte", checksum / 1e6, 1.0,
                "");
    std::printf("%-34s %10.0f %10.3f %8.3f\n", "framer", framer / 1e6, framerRatio, 1.0 / 3);
    std::printf("%-34s %10.0f %10.3f %8.3f\n", "framer + decoders + state", chain / 1e6, chainRatio,
                0.1);
    std::printf("%-34s %10.0f %10.3f %8s\n", "framer + decoders, every field", fields / 1e6,
                fields / checksum, "");
    return framerRatio >= 1.0 / 3 && chainRatio >= 0.1 ? 0 : 1;
}
