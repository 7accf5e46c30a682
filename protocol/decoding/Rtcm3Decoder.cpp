// RTCM 3 frames to their names, fields and the reference station's position.
// Station messages and MSM headers have their own parts (Rtcm3Station.cpp,
// Rtcm3Msm.cpp); ephemerides show their satellite, 1230 its biases; other
// types are named by number with their payload in hex.

#include "protocol/Rtcm3Frame.h"
#include "protocol/decoding/FieldText.h"
#include "protocol/decoding/Rtcm3Parts.h"

#include <array>

namespace protocol {
namespace {

// The constellations of the MSM type ranges 1071-1077, 1081-1087, ... 1131-1137.
constexpr std::array<Constellation, 7> kMsmSystems = {
    Constellation::Gps,  Constellation::Glonass, Constellation::Galileo, Constellation::Sbas,
    Constellation::Qzss, Constellation::BeiDou,  Constellation::NavIC};

struct Ephemeris {
    int Type;
    Constellation System;
    int SatelliteBits;
    int WeekBits; // after the satellite; 0 where the week does not follow it
    std::size_t PayloadBytes;
};

constexpr std::array<Ephemeris, 6> kEphemerides = {{
    {1019, Constellation::Gps, 6, 10, 61},
    {1020, Constellation::Glonass, 6, 0, 45},
    {1042, Constellation::BeiDou, 6, 13, 64},
    {1044, Constellation::Qzss, 4, 0, 61},
    {1045, Constellation::Galileo, 6, 12, 62},
    {1046, Constellation::Galileo, 6, 12, 63},
}};

void DecodeEphemeris(const Ephemeris& ephemeris, BitReader& bits, Rtcm3Fields& out) {
    out.Add("satellite", Rtcm3SatelliteText(ephemeris.System, bits.Int(ephemeris.SatelliteBits)));
    if (ephemeris.WeekBits > 0)
        out.Add("week", std::to_string(bits.Unsigned(ephemeris.WeekBits)));
    bits.Skip(ephemeris.PayloadBytes * 8 - 12 - ephemeris.SatelliteBits - ephemeris.WeekBits);
}

// 1230: the code-phase biases of the GLONASS signals in the mask, 0.02 m each.
void DecodeGlonassBiases(BitReader& bits, Rtcm3Fields& out) {
    constexpr std::array<const char*, 4> kSignals = {"L1 C/A", "L1 P", "L2 C/A", "L2 P"};
    constexpr std::int64_t kNotAvailable = -32768;
    out.Add("station", std::to_string(bits.Unsigned(12)));
    out.Add("phase ranges aligned", bits.Unsigned(1) ? "yes" : "no");
    bits.Skip(3);
    const std::uint64_t mask = bits.Unsigned(4);
    for (std::size_t signal = 0; signal < kSignals.size(); ++signal) {
        if (((mask >> (3 - signal)) & 1) == 0)
            continue;
        const std::int64_t bias = bits.Signed(16);
        out.Add(std::string(kSignals[signal]) + " bias",
                bias == kNotAvailable ? "not available"
                                      : FixedText(static_cast<double>(bias) * 0.02, 2),
                bias == kNotAvailable ? "" : "m");
    }
}

// Reads the payload as its type says; false for a type shown only by number.
bool DecodeKnown(int type, BitReader& bits, Rtcm3Fields& out) {
    if (type == 1005 || type == 1006) {
        DecodeStationPosition(type, bits, out);
        return true;
    }
    if (type == 1007 || type == 1008 || type == 1033) {
        DecodeDescriptors(type, bits, out);
        return true;
    }
    if (type > 1070 && type < 1140 && type % 10 >= 1 && type % 10 <= 7) {
        DecodeMsm(kMsmSystems[static_cast<std::size_t>((type - 1070) / 10)], type % 10, bits, out);
        return true;
    }
    for (const Ephemeris& ephemeris : kEphemerides)
        if (ephemeris.Type == type) {
            DecodeEphemeris(ephemeris, bits, out);
            return true;
        }
    if (type == 1230) {
        DecodeGlonassBiases(bits, out);
        return true;
    }
    return false;
}

} // namespace

std::string Rtcm3SatelliteText(Constellation system, int id) {
    char prefix = 'G';
    switch (system) {
    case Constellation::Glonass:
        prefix = 'R';
        break;
    case Constellation::Galileo:
        prefix = 'E';
        break;
    case Constellation::Sbas:
        prefix = 'S';
        id += 19;
        break;
    case Constellation::Qzss:
        prefix = 'J';
        break;
    case Constellation::BeiDou:
        prefix = 'C';
        break;
    case Constellation::NavIC:
        prefix = 'I';
        break;
    default:
        break;
    }
    return prefix + std::string(id >= 0 && id < 10 ? "0" : "") + std::to_string(id);
}

std::string Rtcm3Name(std::string_view frame) {
    const std::optional<int> type = Rtcm3MessageType(frame);
    return type ? "RTCM " + std::to_string(*type) : "RTCM";
}

Decoded DecodeRtcm3(std::string_view frame, DecodeDetail detail) {
    Decoded decoded;
    decoded.Name = Rtcm3Name(frame);
    const std::size_t length = frame.size() >= kRtcm3Header
                                   ? ((static_cast<std::uint8_t>(frame[1]) & 0x03) << 8) |
                                         static_cast<std::uint8_t>(frame[2])
                                   : 0;
    if (frame.size() != length + kRtcm3FrameOverhead) {
        decoded.Problem = "frame of " + std::to_string(frame.size()) + " bytes, its length says " +
                          std::to_string(length + kRtcm3FrameOverhead);
        return decoded;
    }
    const std::string_view payload = frame.substr(kRtcm3Header, length);
    BitReader bits(payload);
    const int type = bits.Int(12);
    Rtcm3Fields out(decoded, detail);
    if (length < 2) {
        out.Add("payload", HexBytes(payload));
        return decoded;
    }
    if (!DecodeKnown(type, bits, out)) {
        out.Add("payload", HexBytes(payload));
        return decoded;
    }
    if (bits.Overrun()) {
        decoded = Decoded{};
        decoded.Name = Rtcm3Name(frame);
        decoded.Problem =
            "payload of " + std::to_string(length) + " bytes is too short for " + decoded.Name;
    }
    return decoded;
}

} // namespace protocol
