#pragma once
// Bytes typed in hexadecimal, as the UBX composer takes its class, id and
// payload: "01 02 0A", "01020A" or "0x01 0x02 0x0A". A typo never sends
// something else: every error names what is wrong and nothing is read.

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

class EHexBytesError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Groups separated by blanks or commas, each an optional "0x" and an even
// number of hex digits read two by two. Throws EHexBytesError for a
// character that is no hex digit, a group with an odd number of digits, or
// more than maxBytes bytes.
std::vector<std::uint8_t> ParseHexBytes(std::string_view text, std::size_t maxBytes);

// One byte: one or two hex digits, with or without "0x" ("6", "06", "0x06").
// Throws EHexBytesError naming what (for instance "class") was typed wrong.
std::uint8_t ParseHexByte(std::string_view text, std::string_view what);
