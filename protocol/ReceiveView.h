#pragma once
// Rendering of received chunks. The ASCII, Decimal and Hexa views handle
// every chunk by itself: nothing is carried to the next one, so a sentence
// cut between two chunks shows as the end of one and the start of the next.
// The NMEA view and the watches read the text of the chunks instead, which
// leaves out UBX frames and holds back a frame or a line cut off at a chunk's
// end until it completes (ReceiveText.h); they cut lines at blanks and
// control bytes, NUL too. Chunk bytes are Latin-1 characters.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

using TLines = std::vector<std::string>;
class TReceiveTextFilter;

// The index of the "View" radio group. Values outside the five render like
// vmUBX: the data pane keeps what it shows.
enum class ViewMode : int { vmASCII = 0, vmDecimal = 1, vmHexa = 2, vmNMEA = 3, vmUBX = 4 };

inline constexpr std::string_view kFoundUbxNotice = "Found UBX";

// Cuts text into items at separator. The text ends at its first NUL. Blanks
// and control characters cut items and vanish, a double quote starts a quoted
// item ("" inside stands for one quote), two separators in a row give an
// empty item, and a separator as the very last character a trailing empty one.
TLines DelimitedSplit(std::string_view text, char separator);

// The data pane's new lines for a chunk in the given view, or nothing when the
// pane keeps its content (vmUBX). A line holding CR, LF or NUL is shown as one
// line with its control bytes named (OneLine in ReceiveText.h). Never longer than a small multiple
// of the chunk (at most five characters per byte). The NMEA view of a chunk
// by itself shows all of its text, the end of its last line too.
std::optional<TLines> RenderChunk(std::string_view chunk, ViewMode mode);

// True when, in the UBX view, the chunk's first byte is the UBX sync 0xB5.
bool FoundUbx(std::string_view chunk, ViewMode mode);

// In a watch key, any one character.
inline constexpr char kWatchAnyCharacter = '?';

// Watch keys from the drop-down texts: "$", two talker places and the first
// three characters of the NMEA watch text ("$??GGA": the sentence from any
// talker, $GPGGA, $GNGGA, $GLGGA, $BDGGA...); the first five characters of
// the PUBX watch text. A text shorter than that switches the watch off: the
// key is empty.
std::string NmeaWatchKey(std::string_view watchText);
std::string PubxWatchKey(std::string_view watchText);

// Case-sensitive substring search, kWatchAnyCharacter in the key matching any
// character; an empty key (watch off) never matches.
bool LineMatchesWatch(std::string_view line, std::string_view key);

// The lines that contain key, in order, each made one line (OneLine in
// ReceiveText.h) for the watch panes.
TLines WatchedLines(const TLines& lines, std::string_view key);

// Everything the window does with one chunk, in the order it does it:
// insert each of PubxWatchLines on top of the PUBX watch pane; show the
// "Found UBX" notice if FoundUbx; unless output is stopped, replace the data
// pane by DataLines when it holds a value; in the NMEA view, put each of
// NmeaWatchLines into status panel 3 and on top of the NMEA watch pane.
struct TChunkDisplay {
    TLines PubxWatchLines;
    bool FoundUbx = false;
    std::optional<TLines> DataLines;
    TLines NmeaWatchLines; // empty outside the NMEA view
};

// The NMEA view and both watches read the chunk's text through textFilter
// (ReceiveText.h), which completes a UBX frame or a line cut between chunks;
// the form without it handles the chunk by itself, the end of its last line
// shown too.
TChunkDisplay DecodeChunk(std::string_view chunk, ViewMode mode, std::string_view nmeaWatchText,
                          std::string_view pubxWatchText, TReceiveTextFilter& textFilter);
TChunkDisplay DecodeChunk(std::string_view chunk, ViewMode mode, std::string_view nmeaWatchText,
                          std::string_view pubxWatchText);
