#pragma once
// Decoders from a framed message to its meaning (Decoded.h). Pure functions:
// they read only the message's bytes, never past them, whatever the bytes.
//
// - NMEA: GGA, RMC, GSA, GSV, GLL, VTG, ZDA, GNS, GST and TXT from any
//   talker, and PUBX,00, PUBX,03 and PUBX,04; other sentences are named and
//   their fields listed by position.
// - UBX: the NAV, ACK, MON, CFG and INF messages listed in UbxDecoder.cpp;
//   another frame is named from the vocabulary (or "UBX 0x0A-0x04") with its
//   payload in hex. A known frame of a length its layout does not have says
//   so in Problem and shows no fields.
// - RTCM 3: named by message type ("RTCM 1005"); the station messages, MSM
//   headers, ephemerides and GLONASS biases listed in Rtcm3Decoder.cpp show
//   their fields, others their payload in hex. A payload too short for its
//   type says so in Problem.
// - A message whose checksum is wrong is named (where its bytes allow) and
//   decodes to nothing else, so wrong values never reach the receiver state.
// - Nor do impossible ones: Decode gives a message with a value outside its
//   protocol's range (ValueRanges.h) that Problem, its fields and no values.

#include "protocol/decoding/Decoded.h"
#include "protocol/framing/Message.h"

#include <string_view>

namespace protocol {

// Fields: names, fields to show and typed values. TypedOnly leaves Fields
// empty (INF texts aside), for callers that only fold the values, as the
// receiver state does: it is several times quicker.
enum class DecodeDetail { Fields, TypedOnly };

Decoded Decode(const Message& message, DecodeDetail detail = DecodeDetail::Fields);

// The parts behind Decode; bytes are the whole sentence or frame.
Decoded DecodeNmea(std::string_view sentence, DecodeDetail detail = DecodeDetail::Fields);
Decoded DecodeUbx(std::string_view frame, DecodeDetail detail = DecodeDetail::Fields);
Decoded DecodeRtcm3(std::string_view frame, DecodeDetail detail = DecodeDetail::Fields);

// "RTCM 1005" for a frame of that type (from its preamble on), "RTCM" for one
// too short to say.
std::string Rtcm3Name(std::string_view frame);

} // namespace protocol
