#pragma once
// Bit fields written one after another, most significant bit first, as
// RTCM 3 packs its data fields; the last byte is padded with zeros.

#include <cstdint>
#include <string>
#include <string_view>

namespace protocol {

class BitWriter {
public:
    // The low bits (1 to 64) of value; a negative value in two's complement.
    BitWriter& Bits(int bits, std::int64_t value) {
        const auto raw = static_cast<std::uint64_t>(value);
        for (int bit = bits - 1; bit >= 0; --bit) {
            if (used_ % 8 == 0)
                bytes_ += '\0';
            if ((raw >> bit) & 1)
                bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> (used_ % 8)));
            ++used_;
        }
        return *this;
    }
    // A descriptor: its length in 8 bits, then its characters.
    BitWriter& Text(std::string_view text) {
        Bits(8, static_cast<std::int64_t>(text.size()));
        for (const char c : text)
            Bits(8, static_cast<std::uint8_t>(c));
        return *this;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::size_t used_ = 0; // bits
};

} // namespace protocol
