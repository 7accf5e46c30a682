#pragma once
// Modem lines for pseudo-terminals, which have none: while installed, the
// modem-line and break requests of every descriptor are answered from this
// fake (input lines set by the test, output lines and break recorded); all
// other requests reach the real device.

#include <cstdint>

namespace FakeModemLines {
void Install();   // with every line off
void Uninstall(); // requests fail again as on a real pseudo-terminal

// TIOCM_* bits.
void SetInputs(int bits);
int Outputs();
bool BreakOn();
} // namespace FakeModemLines
