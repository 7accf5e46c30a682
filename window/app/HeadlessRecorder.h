#pragma once
// The recorder for a machine without a display:
//   ZEPOMonitor --record FILE --port COMn|PATH [--baud N] [--duration S]
// records the port's bytes into FILE as the window does (FILE is made once
// the port is open), shows its progress on standard error and stops cleanly
// on SIGINT or SIGTERM (or after S seconds) with everything received so far
// on disk. Without a display
//   ZEPOMonitor --port COMn|PATH --serve [ADDR:]PORT [--record FILE]
// shares the port's bytes with TCP clients as the window's "Share" does
// (read-only), with a status line every 10 s, until SIGINT or SIGTERM.

#include <optional>

// The program's exit code when the arguments ask for the recorder, or for
// sharing while there is no display; nothing otherwise (the window starts).
std::optional<int> RunHeadlessRecorderIfAsked(int argc, char* argv[]);
