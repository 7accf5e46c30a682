#include "tools/receiver-sim/UbxOutput.h"

#include "protocol/UbxFrame.h"
#include "tools/receiver-sim/GpsTime.h"

#include <cmath>

namespace {
constexpr std::uint8_t kFix3D = 0x03;
constexpr std::uint8_t kFixOk = 0x01;     // gpsFixOk
constexpr std::uint8_t kTimeValid = 0x0C; // week and time of week valid
constexpr std::uint32_t kTimeToFirstFixMs = 28500;

void PutLittleEndian(TPayload& payload, std::uint32_t value, int bytes) {
    for (int k = 0; k < bytes; ++k)
        payload.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

void PutSigned(TPayload& payload, double value) {
    PutLittleEndian(payload,
                    static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value))), 4);
}

std::string Frame(std::uint8_t ubxClass, std::uint8_t id, TPayload payload) {
    return ToByteString(BuildUbxFrame(MakeUbxPacket(ubxClass, id, std::move(payload))));
}
} // namespace

std::string NavPosllhFrame(const NavigationSolution& s) {
    TPayload payload;
    PutLittleEndian(payload, GpsTimeOfWeekMs(s.utc), 4);
    PutSigned(payload, s.longitude * 1e7);
    PutSigned(payload, s.latitude * 1e7);
    PutSigned(payload, s.altitudeEllipsoid() * 1000);
    PutSigned(payload, s.altitudeMsl * 1000);
    PutSigned(payload, s.horizontalAccuracy * 1000);
    PutSigned(payload, s.verticalAccuracy * 1000);
    return Frame(kUbxClassNav, kUbxIdNavPosllh, std::move(payload));
}

std::string NavStatusFrame(const NavigationSolution& s, std::uint32_t millisSinceStart) {
    TPayload payload;
    PutLittleEndian(payload, GpsTimeOfWeekMs(s.utc), 4);
    payload.push_back(kFix3D);
    payload.push_back(kFixOk | kTimeValid);
    payload.push_back(0); // fixStat
    payload.push_back(0); // flags2
    PutLittleEndian(payload, kTimeToFirstFixMs, 4);
    PutLittleEndian(payload, millisSinceStart, 4);
    return Frame(kUbxClassNav, kUbxIdNavStatus, std::move(payload));
}

std::string CfgAntFrame(const AntennaSettings& antenna) {
    TPayload payload;
    PutLittleEndian(payload, antenna.flags, 2);
    PutLittleEndian(payload, antenna.pins, 2);
    return Frame(kUbxClassCfg, kUbxIdCfgAnt, std::move(payload));
}

std::string AckFrame(bool acknowledged, std::uint8_t ackedClass, std::uint8_t ackedId) {
    return Frame(kUbxClassAck, acknowledged ? kUbxIdAckAck : kUbxIdAckNak, {ackedClass, ackedId});
}
