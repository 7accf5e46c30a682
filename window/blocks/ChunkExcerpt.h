#pragma once
// The data pane's share of a chunk too large to show. The reader hands over
// everything received since the last poll, which can be tens of megabytes
// when a device sends faster than a serial line or the window fell behind;
// rendering all of it would stall the window for seconds. Such a chunk is
// shown by its last part, after a line telling how many bytes were left out
// of the view; the watches still see every line of it. Chunks a serial line
// delivers between two polls (a second at 921600 baud is 92,160 bytes) are
// shown whole, and the UBX view is left as it is.

#include "protocol/ReceiveText.h"
#include "protocol/ReceiveView.h"

#include <cstddef>
#include <string>
#include <string_view>

// Chunks up to this size are shown whole.
inline constexpr std::size_t kLargestWholeChunk = 128 * 1024;
// The most that is shown of a larger chunk.
inline constexpr std::size_t kShownChunkPart = 64 * 1024;

// The line put above the part shown.
std::string LeftOutLine(std::size_t bytesLeftOut);

// DecodeChunk through the text filter, with the data lines of an over-large
// chunk made from its last part only: of the chunk in the ASCII, Decimal and
// Hexa views, of the chunk's text (without UBX frames) in the NMEA view. That
// part starts after a line feed when one comes early in it, so the view
// begins with a whole line.
TChunkDisplay DecodeShownChunk(std::string_view chunk, ViewMode mode,
                               std::string_view nmeaWatchText, std::string_view pubxWatchText,
                               TReceiveTextFilter& textFilter);
