#pragma once
// The track export without a window:
//   zepo-monitor --export-track OUT.gpx|OUT.kml RECORDING
// reads a recording (raw bytes, a capture with '#' lines at its head, or a
// text log), finds its fixes as the window would (one per navigation epoch)
// and writes them as a GPX or KML track. Prints "Wrote N fixes to OUT" and
// exits 0; a recording without a fix, an unreadable recording or an
// unwritable or unknown kind of OUT is told on standard error with exit
// code 1, a wrong use with the usage and exit code 2.

#include <optional>

// The program's exit code when the arguments ask for a track export;
// nothing otherwise.
std::optional<int> RunTrackExportIfAsked(int argc, char* argv[]);
