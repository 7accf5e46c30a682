// The header of RTCM 3 multiple signal messages (MSM1 to MSM7 of every
// constellation): station, epoch, the satellites and signals present and
// the cells (satellite and signal pairs) that carry data. The body is not
// read, but its length is checked against what the header announces.

#include "protocol/decoding/FieldText.h"
#include "protocol/decoding/Rtcm3Parts.h"

#include <array>
#include <bit>

namespace protocol {
namespace {

using SignalCodes = std::array<std::string_view, 32>; // by signal id - 1

// The RINEX observation codes of each constellation's MSM signal ids.
constexpr SignalCodes kGpsSignals = {"",   "1C", "1P", "1W", "",   "",   "", "2C", "2P", "2W", "",
                                     "",   "",   "",   "2S", "2L", "2X", "", "",   "",   "",   "5I",
                                     "5Q", "5X", "",   "",   "",   "",   "", "1S", "1L", "1X"};
constexpr SignalCodes kGlonassSignals = {"", "1C", "1P", "", "", "", "", "2C", "2P"};
constexpr SignalCodes kGalileoSignals = {"",   "1C", "1A", "1B", "1X", "1Z", "",   "6C",
                                         "6A", "6B", "6X", "6Z", "",   "7I", "7Q", "7X",
                                         "",   "8I", "8Q", "8X", "",   "5I", "5Q", "5X"};
constexpr SignalCodes kSbasSignals = {"", "1C", "", "", "", "", "", "", "", "",   "",   "",
                                      "", "",   "", "", "", "", "", "", "", "5I", "5Q", "5X"};
constexpr SignalCodes kQzssSignals = {"",   "1C", "", "",   "",   "",   "", "",   "6S", "6L", "6X",
                                      "",   "",   "", "2S", "2L", "2X", "", "",   "",   "",   "5I",
                                      "5Q", "5X", "", "",   "",   "",   "", "1S", "1L", "1X"};
constexpr SignalCodes kBeiDouSignals = {
    "", "2I", "2Q", "2X", "", "",   "",   "6I", "6Q", "6X", "", "", "", "7I", "7Q", "7X",
    "", "",   "",   "",   "", "5D", "5P", "5X", "7D", "",   "", "", "", "1D", "1P", "1X"};
constexpr SignalCodes kNoSignals = {};

const SignalCodes& SignalsOf(Constellation system) {
    switch (system) {
    case Constellation::Gps:
        return kGpsSignals;
    case Constellation::Glonass:
        return kGlonassSignals;
    case Constellation::Galileo:
        return kGalileoSignals;
    case Constellation::Sbas:
        return kSbasSignals;
    case Constellation::Qzss:
        return kQzssSignals;
    case Constellation::BeiDou:
        return kBeiDouSignals;
    default:
        return kNoSignals;
    }
}

// Bits of each satellite's data and of each cell's data, MSM1 to MSM7.
constexpr std::array<int, 8> kSatelliteBits = {0, 10, 10, 10, 18, 36, 18, 36};
constexpr std::array<int, 8> kCellBits = {0, 15, 27, 42, 48, 63, 65, 80};
constexpr int kMaxCells = 64;

std::string SignalText(const SignalCodes& codes, int id) {
    const std::string_view code = codes[static_cast<std::size_t>(id - 1)];
    return code.empty() ? "#" + std::to_string(id) : std::string(code);
}

// The ids (1 first) of the bits set in a mask of width bits, highest first.
template <typename Each> void ForEachSet(std::uint64_t mask, int width, Each each) {
    for (int id = 1; id <= width; ++id)
        if ((mask >> (width - id)) & 1)
            each(id);
}

void AddEpoch(Constellation system, std::uint64_t epoch, Rtcm3Fields& out) {
    if (system == Constellation::Glonass) {
        out.Add("day of week", std::to_string(epoch >> 27));
        out.Add("time of day", FixedText(static_cast<double>(epoch & 0x7FFFFFF) / 1000, 3), "s");
    } else {
        out.Add("time of week", FixedText(static_cast<double>(epoch) / 1000, 3), "s");
    }
}

// "3: G05 G12 G30", "none".
std::string CountedList(int count, const std::string& list) {
    return count == 0 ? "none" : std::to_string(count) + ": " + list;
}

} // namespace

void DecodeMsm(Constellation system, int msm, BitReader& bits, Rtcm3Fields& out) {
    const std::uint64_t station = bits.Unsigned(12);
    const std::uint64_t epoch = bits.Unsigned(30);
    const bool more = bits.Unsigned(1) != 0;
    const std::uint64_t iods = bits.Unsigned(3);
    bits.Skip(7 + 2 + 2 + 1 + 3); // reserved, clock steering and external, smoothing
    const std::uint64_t satellites = bits.Unsigned(64);
    const std::uint64_t signals = bits.Unsigned(32);
    const int satelliteCount = std::popcount(satellites);
    const int signalCount = std::popcount(signals);
    if (satelliteCount * signalCount > kMaxCells) {
        out.Message().Problem = std::to_string(satelliteCount) + " satellites and " +
                                std::to_string(signalCount) +
                                " signals: more than the 64 cells a message holds";
        return;
    }
    const std::uint64_t cellMask = bits.Unsigned(satelliteCount * signalCount);
    const int cells = std::popcount(cellMask);
    bits.Skip(
        static_cast<std::size_t>(satelliteCount * kSatelliteBits[msm] + cells * kCellBits[msm]));

    if (!out.Shown()) // the texts below cost more than reading the header
        return;
    out.Add("kind", std::string(ConstellationName(system)) + " MSM" + std::to_string(msm));
    out.Add("station", std::to_string(station));
    AddEpoch(system, epoch, out);
    out.Add("more of this epoch follow", more ? "yes" : "no");
    out.Add("IODS", std::to_string(iods));
    std::string satelliteList, signalList;
    ForEachSet(satellites, 64, [&](int id) {
        satelliteList += (satelliteList.empty() ? "" : " ") + Rtcm3SatelliteText(system, id);
    });
    ForEachSet(signals, 32, [&](int id) {
        signalList += (signalList.empty() ? "" : " ") + SignalText(SignalsOf(system), id);
    });
    out.Add("satellites", CountedList(satelliteCount, satelliteList));
    out.Add("signals", CountedList(signalCount, signalList));
    out.Add("cells", std::to_string(cells));
}

} // namespace protocol
