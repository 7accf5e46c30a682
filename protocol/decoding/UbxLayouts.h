#pragma once
// Payload layouts of the UBX messages the monitor decodes: where each field
// sits, its type, scaling and unit, and the typed values it feeds.

#include "protocol/decoding/Decoded.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace protocol {

enum class UbxType { U1, I1, U2, I2, U4, I4, X1, X2, X4, Text };

struct UbxField {
    std::uint16_t Offset;
    UbxType Type;
    std::string_view Name;
    double Scale = 1; // display value = raw * Scale
    std::string_view Unit = "";
    int Decimals = 0;
    std::uint16_t Width = 0; // Text only: bytes
};

// Reads little-endian fields of a payload that its layout has checked.
class UbxPayload {
public:
    explicit UbxPayload(std::string_view bytes) : bytes_(bytes) {}
    std::int64_t Read(std::size_t offset, UbxType type) const;
    std::int64_t U1(std::size_t offset) const { return Read(offset, UbxType::U1); }
    std::int64_t U2(std::size_t offset) const { return Read(offset, UbxType::U2); }
    std::int64_t U4(std::size_t offset) const { return Read(offset, UbxType::U4); }
    std::int64_t I1(std::size_t offset) const { return Read(offset, UbxType::I1); }
    std::int64_t I2(std::size_t offset) const { return Read(offset, UbxType::I2); }
    std::int64_t I4(std::size_t offset) const { return Read(offset, UbxType::I4); }
    std::string_view Bytes() const { return bytes_; }

private:
    std::string_view bytes_;
};

// A payload of Length bytes, or of Length plus any number of BlockSize
// blocks (as many as the byte at CountOffset says, where there is one).
// Where VersionOffset is set, the payload's byte there must be Version: a
// later version may move the fields.
struct UbxLayout {
    std::uint8_t Class, Id;
    std::size_t Length;
    std::span<const UbxField> Fields;
    std::size_t BlockSize = 0;
    std::span<const UbxField> BlockFields = {};
    std::string_view BlockName = "";
    int CountOffset = -1;
    void (*Typed)(const UbxPayload&, Decoded&) = nullptr;
    int VersionOffset = -1;
    std::uint8_t Version = 0;
};

// Every layout: the navigation, acknowledgement, configuration and
// information messages, those of the receiver's health (MON-SPAN, MON-RF,
// MON-HW, MON-COMMS, MON-SYS, NAV-SIG) and those of corrections and RTK
// (RXM-RTCM, NAV-RELPOSNED, NAV-SVIN).
std::span<const UbxLayout> UbxLayouts();
std::span<const UbxLayout> UbxHealthLayouts();
std::span<const UbxLayout> UbxRtkLayouts();

} // namespace protocol
