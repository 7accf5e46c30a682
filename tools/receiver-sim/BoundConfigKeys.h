#pragma once
// The configuration keys of generation 9+ receivers that act on the
// simulated receiver, each bound to the field of its configuration that the
// legacy CFG messages change too: CFG-RATE-MEAS, -NAV and -TIMEREF (as
// CFG-RATE), the UART rates and every port's UBX and NMEA protocol switches
// (as CFG-PRT), and the CFG-MSGOUT rate of each message it sends on each
// port (as CFG-MSG). Both ways of setting a value meet in the same field.

#include "tools/receiver-sim/ReceiverConfig.h"

#include <cstdint>
#include <optional>

// None for a key that is not bound.
std::optional<std::uint64_t> ReadBoundKey(const ReceiverConfig& config, std::uint32_t key);

enum class BoundWrite { NotBound, Taken, Refused };

// Writes the value of a bound key; Refused, leaving config as it was, for a
// value the receiver does not take (a UART rate out of 4800 to 921600 baud, a
// navigation rate CFG-RATE would refuse, a switch other than 0 or 1).
BoundWrite WriteBoundKey(ReceiverConfig& config, std::uint32_t key, std::uint64_t value);
