#pragma once
// The "#byte1#byte2..." entry: a list of byte values the user sends as is.

#include <stdexcept>
#include <string>
#include <string_view>

// A value that is no byte; the whole list is refused, nothing is sent.
class EByteListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the list into the bytes to send (NUL bytes included). Pieces are cut
// at "#" and at line breaks, trimmed of blanks, and read as a decimal integer
// or, after a "$" or "0x" prefix, a hexadecimal one, with an optional sign.
// Empty pieces, unreadable pieces and values beyond 32 bits are skipped.
// Throws EByteListError ("Byte value 300 is out of range 0 to 255.") for a
// value outside 0 to 255.
std::string ParseByteList(std::string_view text);
