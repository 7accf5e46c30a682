#include "protocol/decoding/SignalNames.h"

namespace protocol {
namespace {

struct KnownSignal {
    int GnssId, SigId;
    SignalKind Kind;
};

constexpr KnownSignal kSignals[] = {
    {0, 0, {"GPS L1C/A", RfBand::L1}},     {0, 3, {"GPS L2 CL", RfBand::L2}},
    {0, 4, {"GPS L2 CM", RfBand::L2}},     {0, 6, {"GPS L5 I", RfBand::L5}},
    {0, 7, {"GPS L5 Q", RfBand::L5}},      {1, 0, {"SBAS L1C/A", RfBand::L1}},
    {2, 0, {"Galileo E1 C", RfBand::L1}},  {2, 1, {"Galileo E1 B", RfBand::L1}},
    {2, 3, {"Galileo E5a I", RfBand::L5}}, {2, 4, {"Galileo E5a Q", RfBand::L5}},
    {2, 5, {"Galileo E5b I", RfBand::L2}}, {2, 6, {"Galileo E5b Q", RfBand::L2}},
    {2, 8, {"Galileo E6 B", RfBand::E6}},  {2, 9, {"Galileo E6 C", RfBand::E6}},
    {2, 10, {"Galileo E6 A", RfBand::E6}}, {3, 0, {"BeiDou B1I D1", RfBand::L1}},
    {3, 1, {"BeiDou B1I D2", RfBand::L1}}, {3, 2, {"BeiDou B2I D1", RfBand::L2}},
    {3, 3, {"BeiDou B2I D2", RfBand::L2}}, {5, 0, {"QZSS L1C/A", RfBand::L1}},
    {5, 1, {"QZSS L1S", RfBand::L1}},      {5, 4, {"QZSS L2 CM", RfBand::L2}},
    {5, 5, {"QZSS L2 CL", RfBand::L2}},    {5, 8, {"QZSS L5 I", RfBand::L5}},
    {5, 9, {"QZSS L5 Q", RfBand::L5}},     {6, 0, {"GLONASS L1 OF", RfBand::L1}},
    {6, 2, {"GLONASS L2 OF", RfBand::L2}}, {7, 0, {"NavIC L5 A", RfBand::L5}},
};

} // namespace

SignalKind SignalOf(int gnssId, int sigId) {
    for (const KnownSignal& signal : kSignals)
        if (signal.GnssId == gnssId && signal.SigId == sigId)
            return signal.Kind;
    return {};
}

} // namespace protocol
