#pragma once
// UBX binary frames as the receiver takes them: sync characters 0xB5 0x62,
// class, id, little-endian payload length, payload, and the 8-bit Fletcher
// checksum over everything from the class byte to the last payload byte.
// Received frames are cut from the stream by protocol::Framer
// (framing/Framer.h).

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using TPayload = std::vector<std::uint8_t>;
using TBufToSend = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kUbxSync1 = 0xB5;
inline constexpr std::uint8_t kUbxSync2 = 0x62;
inline constexpr std::size_t kUbxFrameOverhead = 8; // sync, class, id, length, CK_A, CK_B

// One UBX message before packing. The two length bytes must give the number
// of bytes in PayLoad; CK_A and CK_B are never read (callers leave 0xFF).
struct TUBXPacket {
    std::uint8_t SynchChar1 = kUbxSync1;
    std::uint8_t SynchChar2 = kUbxSync2;
    std::uint8_t pkClass = 0;
    std::uint8_t ID = 0;
    std::uint8_t PayloadLengthLSB = 0;
    std::uint8_t PayloadLengthMSB = 0;
    TPayload PayLoad;
    std::uint8_t CK_A = 0xFF;
    std::uint8_t CK_B = 0xFF;
};

struct TUbxChecksum {
    std::uint8_t CK_A = 0;
    std::uint8_t CK_B = 0;
    friend bool operator==(const TUbxChecksum&, const TUbxChecksum&) = default;
};

// A packet whose length bytes disagree with its payload: packing it would
// read past the payload or drop part of it.
class EUbxFrameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fletcher pair over the covered bytes: class, id, both length bytes and the
// payload, i.e. frame offsets 2 up to (not including) the checksum.
TUbxChecksum UbxChecksum(std::span<const std::uint8_t> covered);
TUbxChecksum UbxChecksum(std::string_view covered);

// A packet for class/id/payload with the length bytes filled in and 0xFF in
// both checksum fields. Throws EUbxFrameError for a payload over 65535 bytes.
TUBXPacket MakeUbxPacket(std::uint8_t pkClass, std::uint8_t id, TPayload payload = {});

// Packs the packet into n + 8 bytes. Throws EUbxFrameError when the length
// bytes do not match the payload size.
TBufToSend BuildUbxFrame(TUBXPacket packet);

// The two frames the window transmits: CFG-ANT poll (B5 62 06 13 00 00 19 51)
// and CFG-ANT set with flags 0x000B, pins 0x640F
// (B5 62 06 13 04 00 0B 00 0F 64 9B 7B).
TUBXPacket CfgAntPollPacket();
TUBXPacket CfgAntSetPacket();
TBufToSend CfgAntPollFrame();
TBufToSend CfgAntSetFrame();

// The frame as a byte string, for the serial port's write calls.
inline std::string ToByteString(const TBufToSend& frame) {
    return std::string(frame.begin(), frame.end());
}
