#pragma once
// The text of received chunks as the NMEA view and the NMEA and PUBX watches
// read it: the chunk without its UBX frames, and with each NUL byte read as a
// blank (it cuts a line like the other control bytes instead of ending the
// text), so that binary output interleaved with NMEA neither ends nor
// corrupts the sentences after it. A chunk with neither comes out unchanged.
//
// A frame cut off at the end of a chunk is left out there, and its remaining
// bytes in the next chunk once the frame proves whole (right checksum). A
// frame still incomplete after the next chunk, or broken, is taken for
// noise: the next chunk's bytes are shown. So a stray sync pair hides at most
// the end of one chunk, and the filter keeps at most one frame's bytes.

#include <string>
#include <string_view>

class TReceiveTextFilter {
public:
    std::string Text(std::string_view chunk);

private:
    std::string partialFrame_; // a frame begun in an earlier chunk
};

// A line for a pane: a line holding CR or LF (inside a quoted item) is shown
// as one line, all its control bytes written as their names ("<CR>");
// other lines are returned as they are.
std::string OneLine(std::string line);
