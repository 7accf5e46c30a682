#pragma once
// The fixes of a received byte stream, such as a recording's: framed,
// decoded and folded into a receiver state as the window does (only the
// messages that tell of the fix, FixMessages.h), one fix per epoch, the
// last epoch ending with the stream. Every fix is kept: a stream gives one
// fix per 50 bytes or more, so the records take at most about twice the
// stream's size.

#include "protocol/history/PositionHistory.h"

#include <string_view>

namespace protocol {

PositionHistory FixesOfStream(std::string_view bytes);

} // namespace protocol
