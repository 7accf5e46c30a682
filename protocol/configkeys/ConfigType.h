#pragma once
// The value types of configuration keys as the receiver's interface names
// them: L (a bit stored in one byte), U and I (unsigned and signed
// integers), R (IEEE floating point), E (enumerations) and X (bit fields),
// with their size in bytes. Shared by the library and the build-time table
// generator.

#include "protocol/configkeys/ConfigKeyId.h"

#include <cstdint>
#include <string_view>

namespace ubx {

enum class TConfigType : std::uint8_t {
    L,
    U1,
    U2,
    U4,
    U8,
    I1,
    I2,
    I4,
    I8,
    R4,
    R8,
    E1,
    E2,
    E4,
    X1,
    X2,
    X4,
    X8
};

enum class TConfigKind : std::uint8_t { Bool, Unsigned, Signed, Real, Enumeration, Bits };

struct TConfigTypeInfo {
    TConfigType type;
    std::string_view name;
    TConfigKind kind;
    unsigned sizeCode; // as in bits 28-30 of the key ID
};

// In the order of TConfigType.
inline constexpr TConfigTypeInfo kConfigTypes[] = {
    {TConfigType::L, "L", TConfigKind::Bool, 1},
    {TConfigType::U1, "U1", TConfigKind::Unsigned, 2},
    {TConfigType::U2, "U2", TConfigKind::Unsigned, 3},
    {TConfigType::U4, "U4", TConfigKind::Unsigned, 4},
    {TConfigType::U8, "U8", TConfigKind::Unsigned, 5},
    {TConfigType::I1, "I1", TConfigKind::Signed, 2},
    {TConfigType::I2, "I2", TConfigKind::Signed, 3},
    {TConfigType::I4, "I4", TConfigKind::Signed, 4},
    {TConfigType::I8, "I8", TConfigKind::Signed, 5},
    {TConfigType::R4, "R4", TConfigKind::Real, 4},
    {TConfigType::R8, "R8", TConfigKind::Real, 5},
    {TConfigType::E1, "E1", TConfigKind::Enumeration, 2},
    {TConfigType::E2, "E2", TConfigKind::Enumeration, 3},
    {TConfigType::E4, "E4", TConfigKind::Enumeration, 4},
    {TConfigType::X1, "X1", TConfigKind::Bits, 2},
    {TConfigType::X2, "X2", TConfigKind::Bits, 3},
    {TConfigType::X4, "X4", TConfigKind::Bits, 4},
    {TConfigType::X8, "X8", TConfigKind::Bits, 5},
};

constexpr const TConfigTypeInfo& ConfigTypeInfo(TConfigType type) {
    return kConfigTypes[static_cast<int>(type)];
}

// Bytes a value of the type takes on the line.
constexpr std::size_t ConfigTypeSize(TConfigType type) {
    return ConfigKeySize(ConfigTypeInfo(type).sizeCode << 28);
}

} // namespace ubx
