#pragma once
// Reads a configuration file, of KEY=value lines or of UBX frames
// (ValueFile.h, FrameFile.h), into the frames that apply it, or into every
// error it holds: nothing is sent from a file that does not read cleanly.
// - The values of a KEY=value file go to the layers the user chose, as
//   CFG-VALSET messages (one transaction when they need more than one).
// - A frame file's frames go as they are, in order, but for the receiver's
//   own messages it keeps: a MON-VER answer only names the receiver the file
//   came from and is not sent, and a CFG-VALGET answer (the values read from
//   a receiver) is sent as a CFG-VALSET of its values to the chosen layers.

#include "protocol/configfiles/FrameFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ubx {

struct TConfigFilePlan {
    std::vector<TNamedFrame> frames;
    // "Line 7: CFG-RATE-MEAS=abc: ...", "Line 3: checksum wrong"; when any
    // is here, frames is empty.
    std::vector<std::string> errors;
};

// layers: the mask CFG-VALSET writes values to (ConfigValues.h).
TConfigFilePlan ReadConfigFile(std::string_view text, std::uint8_t layers);

} // namespace ubx
