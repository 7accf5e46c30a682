#pragma once
// Configuration files of UBX frames, one a line: the message name, " - ",
// then the frame's bytes in hex, "CFG-RATE - 06 08 06 00 E8 03 01 00 01 00".
// This is the form receiver configurations are exchanged in: class, id, the
// two length bytes and the payload, without the sync characters and the
// checksum. Lines that carry them too ("B5 62 06 08 ... 39 00") are read as
// well, and their checksum is checked.

#include "protocol/UbxFrame.h"

#include <span>
#include <string>
#include <string_view>

namespace ubx {

std::string WriteFrameFile(std::span<const TUBXPacket> frames);

// The named frame of one line. Throws EConfigError saying what is wrong:
// bad hex, a frame cut short, a length that disagrees with the payload, a
// wrong checksum, a name the vocabulary gives another message.
struct TNamedFrame {
    std::string name;
    TUBXPacket packet;
};
TNamedFrame ReadFrameLine(std::string_view line);

} // namespace ubx
