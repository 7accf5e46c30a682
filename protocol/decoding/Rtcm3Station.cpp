// RTCM 3 messages about the reference station: where its antenna is (1005,
// 1006) and which antenna and receiver it has (1007, 1008, 1033).

#include "protocol/decoding/FieldText.h"
#include "protocol/decoding/Geodetic.h"
#include "protocol/decoding/Rtcm3Parts.h"

namespace protocol {
namespace {

constexpr double kEcefScaleM = 0.0001; // DF025-DF027, DF028
constexpr int kEcefBits = 38;

std::string Systems(bool gps, bool glonass, bool galileo) {
    std::string text;
    for (const auto& [on, name] :
         {std::pair{gps, "GPS"}, {glonass, "GLONASS"}, {galileo, "Galileo"}})
        if (on)
            text += (text.empty() ? "" : ", ") + std::string(name);
    return text.empty() ? "none" : text;
}

// A descriptor: its character count (8 bits), then its characters.
std::string Descriptor(BitReader& bits) {
    return PrintableText(bits.Characters(bits.Unsigned(8)));
}

} // namespace

void DecodeStationPosition(int type, BitReader& bits, Rtcm3Fields& out) {
    BaseStation station;
    station.StationId = bits.Int(12);
    const int itrfYear = bits.Int(6);
    const bool gps = bits.Unsigned(1), glonass = bits.Unsigned(1), galileo = bits.Unsigned(1);
    const bool physical = bits.Unsigned(1) == 0;
    station.EcefXM = static_cast<double>(bits.Signed(kEcefBits)) * kEcefScaleM;
    bits.Skip(2); // single receiver oscillator, reserved
    station.EcefYM = static_cast<double>(bits.Signed(kEcefBits)) * kEcefScaleM;
    bits.Skip(2); // quarter cycle indicator
    station.EcefZM = static_cast<double>(bits.Signed(kEcefBits)) * kEcefScaleM;
    if (type == 1006)
        station.AntennaHeightM = static_cast<double>(bits.Unsigned(16)) * kEcefScaleM;
    station.Place = EcefToGeodetic(station.EcefXM, station.EcefYM, station.EcefZM);

    out.Add("station", std::to_string(station.StationId));
    out.Add("ITRF year", std::to_string(itrfYear));
    out.Add("systems", Systems(gps, glonass, galileo));
    out.Add("reference point", physical ? "physical" : "computed");
    out.Add("ECEF X", FixedText(station.EcefXM, 4), "m");
    out.Add("ECEF Y", FixedText(station.EcefYM, 4), "m");
    out.Add("ECEF Z", FixedText(station.EcefZM, 4), "m");
    if (station.Place) {
        out.Add("latitude", FixedText(station.Place->LatitudeDeg, 9), "deg");
        out.Add("longitude", FixedText(station.Place->LongitudeDeg, 9), "deg");
        out.Add("height", FixedText(*station.Place->HeightEllipsoidM, 4), "m");
    }
    if (station.AntennaHeightM)
        out.Add("antenna height", FixedText(*station.AntennaHeightM, 4), "m");
    out.Message().Station = std::move(station);
}

void DecodeDescriptors(int type, BitReader& bits, Rtcm3Fields& out) {
    out.Add("station", std::to_string(bits.Unsigned(12)));
    out.Add("antenna", Descriptor(bits));
    out.Add("antenna setup", std::to_string(bits.Unsigned(8)));
    if (type == 1007)
        return;
    out.Add("antenna serial", Descriptor(bits));
    if (type == 1008)
        return;
    out.Add("receiver", Descriptor(bits));
    out.Add("firmware", Descriptor(bits));
    out.Add("receiver serial", Descriptor(bits));
}

} // namespace protocol
