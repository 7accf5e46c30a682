#pragma once
// Which received messages a track needs: those whose decoding can give an
// epoch's fix record a value (time, position, heights, fix, DOPs, speed,
// horizontal accuracy) or end an epoch (a time of day or a fix). Satellites
// in view, signals, health, texts, acknowledgements and configuration
// change no fix record and can be left undecoded. Told by the message's
// name as framed, without decoding it.

#include "protocol/framing/Message.h"

namespace protocol {

bool TellsOfFix(const Message& message);

} // namespace protocol
