#pragma once
// Text eight bytes at a time: a 64-bit word holds them, the first byte
// lowest, and each test marks the bytes it finds with their top bit (0x80 in
// that byte, no other bit) without a branch per byte. The framer and the
// sentence decoder scan every byte received this way.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace protocol {

static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");

inline constexpr std::uint64_t kEveryByte = 0x0101010101010101;
inline constexpr std::uint64_t kTopBits = 0x8080808080808080;
inline constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F;

// The eight bytes from at on; zeros stand in for those past the end.
inline std::uint64_t EightBytes(std::string_view text, std::size_t at) {
    std::uint64_t word = 0;
    const std::size_t left = text.size() - at;
    if (left >= 8) { // one load, the usual case
        std::memcpy(&word, text.data() + at, 8);
    } else if (text.size() >= 8 && left > 0) {
        // The text's last eight bytes, those before at shifted out: one load
        // rather than a copy of a varying length, whose branches mispredict.
        std::memcpy(&word, text.data() + text.size() - 8, 8);
        word >>= 8 * (8 - left);
    } else {
        std::memcpy(&word, text.data() + at, left);
    }
    return word;
}

// Each stays within its byte: (word & kLowBits) plus at most 0x80 per byte
// carries into no other.
inline std::uint64_t BytesEqual(std::uint64_t word, char c) {
    const std::uint64_t x = word ^ (kEveryByte * static_cast<std::uint8_t>(c));
    return ~(((x & kLowBits) + kLowBits) | x) & kTopBits;
}
inline std::uint64_t BytesBelow(std::uint64_t word, std::uint8_t limit) { // limit <= 0x80
    return ~(((word & kLowBits) + kEveryByte * (0x80 - limit)) | word) & kTopBits;
}
inline std::uint64_t BytesAbove(std::uint64_t word, std::uint8_t limit) { // limit < 0x80
    return (((word & kLowBits) + kEveryByte * (0x7F - limit)) | word) & kTopBits;
}

// The position within the word of the first byte marked.
inline std::size_t FirstMarked(std::uint64_t marks) {
    return static_cast<std::size_t>(std::countr_zero(marks)) / 8;
}

} // namespace protocol
