#pragma once
// Conversions between the port and bit-rate enumerations and their names and
// numbers.

#include "serial/SerialTypes.h"

#include <cstdint>
#include <string>

// Trims bytes up to 32 from both ends of a port name.
std::string TrimPortName(const std::string& name);

// "COM1" … "COM254" (exact case, no leading zero) give that port; an empty or
// blank name gives spNone; any other name gives spCustom.
TCommPort StringToCommPort(const std::string& Port);

// "COM<n>" for COM1 … COM254, customPortName for spCustom, "" for spNone.
std::string CommPortToString(TCommPort Port, const std::string& customPortName = {});

// Bits per second of a table member; brCustom gives customBaudRate.
std::int32_t BaudRateToInt(TBaudRate pBaudRate, std::int32_t customBaudRate = 0);

// The member whose rate equals Value exactly; any other value gives brCustom.
TBaudRate IntToBaudRate(std::int32_t Value);
