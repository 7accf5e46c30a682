#pragma once
// The serial port's vocabulary: port identifiers, line-setting enumerations,
// the modem input line set and the component's exception.

#include "serial/ThreadPriority.h"

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

// One byte: spNone (0), COM1 … COM254 by their number, spCustom (255).
enum TCommPort : std::uint8_t {
    spNone = 0,
    spCOM1 = 1,
    spCOM13 = 13,
    spCOM254 = 254,
    spCustom = 255
};

// The port COM<number>; numbers outside 1…254 give spNone.
constexpr TCommPort MakeCommPort(int number) {
    return number >= 1 && number <= 254 ? static_cast<TCommPort>(number) : spNone;
}

// Bit n stands for the port of ordinal n.
using TCommPortSet = std::bitset<256>;

enum TBaudRate : std::uint8_t {
    br000075,
    br000110,
    br000134,
    br000150,
    br000300,
    br000600,
    br001200,
    br001800,
    br002400,
    br004800,
    br007200,
    br009600,
    br014400,
    br019200,
    br038400,
    br057600,
    br115200,
    br128000,
    br230400,
    br256000,
    br460800,
    br921600,
    brCustom
};

enum TDataWidth : std::uint8_t { dw5Bits, dw6Bits, dw7Bits, dw8Bits };
enum TStopBits : std::uint8_t { sb1Bit, sb1_5Bits, sb2Bits };
enum TParityBits : std::uint8_t { pbNone, pbOdd, pbEven, pbMark, pbSpace };
enum THwFlowControl : std::uint8_t { hfNONE, hfDTRDSR, hfRTSCTS };
enum TSwFlowControl : std::uint8_t { sfNONE, sfXONXOFF };
enum TLineStatus : std::uint8_t { lsCTS, lsDSR, lsRING, lsCD };

// The four modem input lines as one byte: bit 0 CTS, 1 DSR, 2 RING, 3 CD.
class TLineStatusSet {
public:
    constexpr TLineStatusSet() = default;
    constexpr TLineStatusSet(std::initializer_list<TLineStatus> lines) {
        for (TLineStatus line : lines)
            Include(line);
    }

    constexpr bool Contains(TLineStatus line) const { return (bits_ >> line) & 1; }
    constexpr void Include(TLineStatus line) { bits_ |= static_cast<std::uint8_t>(1u << line); }

    friend constexpr bool operator==(TLineStatusSet, TLineStatusSet) = default;

private:
    std::uint8_t bits_ = 0;
};

// Misuse and failures of the serial port component; carries only its message.
class ESerialPortException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
