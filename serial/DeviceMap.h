#pragma once
// The list of serial ports present and the device behind each port name.
//
// Hardware ports come from /sys/class/tty: ttyS<n> is COM<n+1> (the console
// and 8250 slots without a UART are left out); every other device (USB, ACM,
// on-board UARTs) gets the lowest free COM number when first seen and keeps it
// in a small map in the user's configuration directory. Virtual ports
// announced as links (serial/VirtualPorts.h) take their announced COM name.

#include "serial/SerialTypes.h"

#include <string>
#include <vector>

// COM names of the ports present, in a stable order (by COM number).
std::vector<std::string> PresentPortNames();

// The device path a port name opens: the mapped device of a COM name, a path
// starting with "/" and a network source (tcp://HOST:PORT) as is, any other
// name under /dev. Empty when a COM name
// maps to nothing present.
std::string DevicePathOfPort(const std::string& portName);

// The set of ports present; the empty set when the list cannot be read.
TCommPortSet GetExistingCommPorts();

// Clears Strings and fills it with the names of the ports present.
void GetExistingCommPortNames(std::vector<std::string>& Strings);
