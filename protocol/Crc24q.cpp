#include "protocol/Crc24q.h"

#include <array>

namespace protocol {
namespace {

constexpr std::uint32_t kPolynomial = 0x1864CFB;

// The remainder of each byte value shifted into the top of the register.
constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t value = 0; value < 256; ++value) {
        std::uint32_t crc = value << 16;
        for (int bit = 0; bit < 8; ++bit) {
            crc <<= 1;
            if (crc & 0x1000000)
                crc ^= kPolynomial;
        }
        table[value] = crc;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

} // namespace

std::uint32_t Crc24q(std::string_view bytes) {
    std::uint32_t crc = 0;
    for (const char byte : bytes)
        crc = ((crc << 8) & 0xFFFFFF) ^
              kTable[((crc >> 16) ^ static_cast<std::uint8_t>(byte)) & 0xFF];
    return crc;
}

} // namespace protocol
