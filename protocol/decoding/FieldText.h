#pragma once
// Value texts of decoded fields: fixed decimals, hexadecimal flags, and
// received text made safe to show.

#include <cstdint>
#include <string>
#include <string_view>

namespace protocol {

std::string FixedText(double value, int decimals);
std::string HexText(std::uint64_t value, int digits); // "0x001B"
std::string HexBytes(std::string_view bytes);         // "0B 00 0F 64"
// Received text up to its first NUL, with other control bytes and bytes
// above 0x7E shown as "\xhh".
std::string PrintableText(std::string_view text);

} // namespace protocol
