#pragma once
// The bit rate of the simulated line. A pseudo-terminal carries bytes at no
// rate at all, but it keeps the terminal settings that the program at the
// port end made, and the device side can read them: that is the rate the
// program listens at. Rates are bits per second, any value (not only the
// standard ones).

#include <cstdint>
#include <optional>

// The rate the port end is set to, read on the device side of the line.
std::optional<std::uint32_t> PortLineRate(int deviceFd);
// Sets the port end's rate, as if the port were already configured.
void SetPortLineRate(int deviceFd, std::uint32_t bitsPerSecond);
