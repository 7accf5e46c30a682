#pragma once
// A track of fixes as a file other programs read. GPX 1.1: one track whose
// segments break where fixes stop for a while (lost reception) or time runs
// back, each point with its height above sea level, time, fix, satellites
// and DOPs. KML 2.2: the track as a line, with a placemark at its start and
// end, and its dated points again as a gx:Track, each with its time. Points
// without a date carry no time.

#include "protocol/history/PositionHistory.h"

#include <optional>
#include <string>
#include <string_view>

namespace protocol {

enum class TrackFormat { Gpx, Kml };

// By the file name's extension, ".gpx" or ".kml" in any case.
std::optional<TrackFormat> TrackFormatOf(std::string_view path);

std::string GpxOf(PositionHistory::Range fixes);
std::string KmlOf(PositionHistory::Range fixes);

// Writes the fixes in the format the path's extension names, into a new
// file beside the path that replaces it only once written whole: a failed
// write leaves an existing file as it was. Throws
// std::runtime_error with a message for the user: "Cannot write track to
// <path>: <reason>", or which extensions are known.
void WriteTrackFile(const std::string& path, PositionHistory::Range fixes);

} // namespace protocol
