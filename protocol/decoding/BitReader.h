#pragma once
// Bit fields read one after another from bytes, most significant bit first,
// as RTCM 3 packs its data fields. A read past the end gives 0 and marks the
// reader overrun, so a decoder reads on and checks once at the end.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace protocol {

class BitReader {
public:
    explicit BitReader(std::string_view bytes) : bytes_(bytes) {}

    // The next bits (1 to 64) as an unsigned number.
    std::uint64_t Unsigned(int bits) {
        if (bits > static_cast<int>(BitsLeft())) {
            overrun_ = true;
            at_ = bytes_.size() * 8;
            return 0;
        }
        std::uint64_t value = 0;
        while (bits > 0) { // the rest of the current byte, or as much of it as is wanted
            const int free = 8 - static_cast<int>(at_ % 8);
            const int take = bits < free ? bits : free;
            const unsigned byte = static_cast<std::uint8_t>(bytes_[at_ / 8]);
            value = (value << take) | ((byte >> (free - take)) & ((1u << take) - 1));
            at_ += static_cast<std::size_t>(take);
            bits -= take;
        }
        return value;
    }
    // The next bits (2 to 63) as a two's complement number.
    std::int64_t Signed(int bits) {
        const std::uint64_t value = Unsigned(bits);
        const std::uint64_t sign = std::uint64_t{1} << (bits - 1);
        return static_cast<std::int64_t>(value ^ sign) - static_cast<std::int64_t>(sign);
    }
    int Int(int bits) { return static_cast<int>(Unsigned(bits)); }
    // count characters of 8 bits.
    std::string Characters(std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count && !overrun_; ++i)
            text += static_cast<char>(Unsigned(8));
        return text;
    }
    void Skip(std::size_t bits) {
        if (bits > BitsLeft())
            overrun_ = true;
        at_ = std::min(at_ + bits, bytes_.size() * 8);
    }

    std::size_t BitsLeft() const { return bytes_.size() * 8 - at_; }
    bool Overrun() const { return overrun_; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0; // in bits
    bool overrun_ = false;
};

} // namespace protocol
