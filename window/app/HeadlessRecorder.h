#pragma once
// The recorder for a machine without a display:
//   ZEPOMonitor --record FILE --port COMn|PATH [--baud N] [--duration S]
// records the port's bytes into FILE as the window does (FILE is made once
// the port is open), shows its progress on standard error and stops cleanly
// on SIGINT or SIGTERM (or after S seconds) with everything received so far
// on disk.

#include <optional>

// The program's exit code when the arguments ask for the recorder; nothing
// when they do not (the window starts instead).
std::optional<int> RunHeadlessRecorderIfAsked(int argc, char* argv[]);
