#pragma once
// The text of received chunks as the NMEA view and the NMEA and PUBX watches
// read it: the received bytes without their UBX and RTCM 3 frames, handed on in whole
// lines, so that binary output interleaved with NMEA neither hides nor cuts
// the sentences around it. NUL and the other control bytes stay in the text;
// the views cut lines at them (DelimitedItems.h) and name them (OneLine).
//
// A frame is left out only once it proves whole with the right checksum. Its
// start, cut off at the end of a chunk, is held back until the bytes its
// length field announces have come, over as many chunks as that takes (the
// scanner refuses lengths beyond the largest frame a receiver sends, so at
// most one frame is held). Bytes that prove to be no frame (a wrong checksum,
// a stray sync pair or 0xD3) are text like any other.
//
// The text after the last line end (CR or LF) is held back too, until its
// line ends, so that a sentence cut between two chunks reaches the view and
// the watches once and whole. Text without line ends is held no longer than
// kLongestHeldLine bytes, then given out as it is: it is never kept for good.
// (The ASCII, Decimal and Hexa views show the chunks as they come.)

#include <cstddef>
#include <string>
#include <string_view>

// Longer than any line a receiver sends (an NMEA sentence has at most 82
// characters, a PUBX line a few hundred).
inline constexpr std::size_t kLongestHeldLine = 4096;

class TReceiveTextFilter {
public:
    // The text that the bytes received so far complete.
    std::string Text(std::string_view chunk);
    // Gives out the end of a line held back, for text that nothing follows.
    std::string ReleaseLine();

private:
    std::string heldFrame_; // a frame's start, awaiting its remaining bytes
    std::string heldLine_;  // text after the last line end
};

// A line for a pane: a line holding CR, LF (inside a quoted item) or NUL is
// shown as one line, all its control bytes written as their names ("<CR>",
// "<NUL>"); other lines are returned as they are.
std::string OneLine(std::string line);
