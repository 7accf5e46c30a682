#pragma once
// The name of a UBX message as the port log shows it: "CFG-PRT", or
// "UBX 0x0A-0x04" for one the vocabulary does not name.

#include <cstdint>
#include <string>

std::string UbxMessageName(std::uint8_t ubxClass, std::uint8_t id);
