#pragma once
// One message cut from the receiver's byte stream by the framer: an NMEA or
// PUBX sentence, a UBX frame, an RTCM 3 frame, or a run of bytes that is none
// of them (noise, a frame cut off by the next one).

#include <cstdint>
#include <string>

namespace protocol {

enum class MessageKind { Nmea, Ubx, Rtcm3, Unframed };

// Right or Wrong for a checked message; None for an NMEA sentence sent without
// "*hh" and for unframed bytes.
enum class ChecksumState { None, Right, Wrong };

struct Message {
    MessageKind Kind = MessageKind::Unframed;
    // The message's bytes as received: an NMEA sentence from "$" to its LF, a
    // UBX frame from 0xB5 to CK_B, an RTCM 3 frame from 0xD3 to its CRC.
    std::string Bytes;
    // Position of the first byte in the stream, counted from the framer's start.
    std::uint64_t Offset = 0;
    ChecksumState Checksum = ChecksumState::None;

    friend bool operator==(const Message&, const Message&) = default;
};

} // namespace protocol
