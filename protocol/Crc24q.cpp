#include "protocol/Crc24q.h"

#include <array>
#include <cstdint>

namespace protocol {
namespace {

// The register holds the CRC in its top 24 bits, so a whole 32-bit word of
// the data can be folded in at once.
constexpr std::uint32_t kPolynomial = 0x864CFB00;

using Table = std::array<std::uint32_t, 256>;

// kTables[0][b]: the register after byte b enters an empty one;
// kTables[k][b]: after b and then k zero bytes, so eight bytes are taken in
// one step of eight look-ups.
constexpr std::array<Table, 8> MakeTables() {
    std::array<Table, 8> tables{};
    for (std::uint32_t value = 0; value < 256; ++value) {
        std::uint32_t crc = value << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000) ? (crc << 1) ^ kPolynomial : crc << 1;
        tables[0][value] = crc;
    }
    for (std::size_t k = 1; k < tables.size(); ++k)
        for (std::uint32_t value = 0; value < 256; ++value) {
            const std::uint32_t previous = tables[k - 1][value];
            tables[k][value] = (previous << 8) ^ tables[0][previous >> 24];
        }
    return tables;
}

constexpr std::array<Table, 8> kTables = MakeTables();

std::uint32_t BigEndian32(const char* bytes) {
    const auto byte = [bytes](int i) { return std::uint32_t{static_cast<std::uint8_t>(bytes[i])}; };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

} // namespace

std::uint32_t Crc24q(std::string_view bytes) {
    const auto& t = kTables;
    std::uint32_t crc = 0;
    std::size_t at = 0;
    for (; bytes.size() - at >= 8; at += 8) {
        const std::uint32_t high = crc ^ BigEndian32(bytes.data() + at);
        const std::uint32_t low = BigEndian32(bytes.data() + at + 4);
        crc = t[7][high >> 24] ^ t[6][(high >> 16) & 0xFF] ^ t[5][(high >> 8) & 0xFF] ^
              t[4][high & 0xFF] ^ t[3][low >> 24] ^ t[2][(low >> 16) & 0xFF] ^
              t[1][(low >> 8) & 0xFF] ^ t[0][low & 0xFF];
    }
    for (; at < bytes.size(); ++at)
        crc = (crc << 8) ^ t[0][(crc >> 24) ^ static_cast<std::uint8_t>(bytes[at])];
    return crc >> 8;
}

} // namespace protocol
