#pragma once
// What a configuration key ID of a generation 9+ receiver says by itself:
// bits 28-30 the storage size of its value, bits 16-23 its group, bits 0-11
// the item within the group. Bits 12-15 and 24-27 and bit 31 are reserved
// and always zero. Shared by the library and the build-time table generator.

#include <cstddef>
#include <cstdint>

namespace ubx {

// The size code of bits 28-30: 1 one bit (stored in a byte), 2 one byte,
// 3 two bytes, 4 four bytes, 5 eight bytes; others are not defined.
constexpr unsigned ConfigKeySizeCode(std::uint32_t id) {
    return (id >> 28) & 0x7;
}

// Bytes the value takes in CFG-VALSET and CFG-VALGET; 0 for an undefined
// size code.
constexpr std::size_t ConfigKeySize(std::uint32_t id) {
    constexpr std::size_t kBytes[8] = {0, 1, 1, 2, 4, 8, 0, 0};
    return kBytes[ConfigKeySizeCode(id)];
}

constexpr std::uint8_t ConfigKeyGroupId(std::uint32_t id) {
    return static_cast<std::uint8_t>(id >> 16);
}

constexpr bool ConfigKeyReservedBitsClear(std::uint32_t id) {
    return (id & 0x8F00F000u) == 0;
}

} // namespace ubx
