#pragma once
// The parts of the RTCM 3 decoder (Rtcm3Decoder.cpp): each reads the payload
// after its 12-bit message type. A part reads on past the payload's end
// without harm; the decoder checks the reader once it is done.

#include "protocol/decoding/BitReader.h"
#include "protocol/decoding/Decoded.h"
#include "protocol/decoding/Decoder.h"

#include <string>
#include <string_view>

namespace protocol {

// The fields of one message, gathered only when they are to be shown.
class Rtcm3Fields {
public:
    Rtcm3Fields(Decoded& decoded, DecodeDetail detail)
        : decoded_(decoded), shown_(detail == DecodeDetail::Fields) {}
    bool Shown() const { return shown_; }
    void Add(std::string name, std::string value, std::string unit = {}) {
        if (shown_)
            decoded_.Fields.push_back({std::move(name), std::move(value), std::move(unit)});
    }
    Decoded& Message() { return decoded_; }

private:
    Decoded& decoded_;
    bool shown_;
};

// "G05", "R12", "E30", "S20" (SBAS PRN 120 is 1), "J01" (QZSS PRN 193 is 1),
// "C19", "I03": the satellite as RTCM 3 numbers it within its constellation.
std::string Rtcm3SatelliteText(Constellation system, int id);

// 1005 and 1006: the station's antenna reference point.
void DecodeStationPosition(int type, BitReader& bits, Rtcm3Fields& out);
// 1007, 1008 and 1033: antenna and receiver descriptors.
void DecodeDescriptors(int type, BitReader& bits, Rtcm3Fields& out);
// 1071-1137: the header of a multiple signal message of constellation system;
// msm is 1 to 7. Reads the whole message to check its length.
void DecodeMsm(Constellation system, int msm, BitReader& bits, Rtcm3Fields& out);

} // namespace protocol
