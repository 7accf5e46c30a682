#include "tests/receiver-sim/CorrectionFrames.h"

#include "protocol/BitWriter.h"
#include "protocol/Rtcm3Frame.h"

#include <cmath>

std::string Rtcm1005Frame(int station, const std::array<double, 3>& ecef) {
    const auto tenthsOfMillimetres = [](double metres) {
        return static_cast<std::int64_t>(std::llround(metres * 10000));
    };
    protocol::BitWriter bits;
    bits.Bits(12, 1005).Bits(12, station).Bits(6, 0); // ITRF realisation year
    bits.Bits(1, 1).Bits(1, 1).Bits(1, 1).Bits(1, 1); // GPS, GLONASS, Galileo; a reference station
    bits.Bits(38, tenthsOfMillimetres(ecef[0])).Bits(1, 0).Bits(1, 0);
    bits.Bits(38, tenthsOfMillimetres(ecef[1])).Bits(2, 0); // quarter-cycle indicator
    bits.Bits(38, tenthsOfMillimetres(ecef[2]));
    return protocol::BuildRtcm3Frame(bits.Bytes());
}

std::string MsmFrame(int messageType, int station) {
    protocol::BitWriter bits;
    bits.Bits(12, messageType).Bits(12, station).Bits(30, 0); // epoch time
    bits.Bits(1, 0).Bits(3, 0).Bits(7, 0).Bits(2, 0).Bits(2, 0).Bits(1, 0).Bits(3, 0);
    bits.Bits(64, std::int64_t{1} << 63).Bits(32, std::int64_t{1} << 31).Bits(1, 1); // masks
    return protocol::BuildRtcm3Frame(bits.Bytes());
}
