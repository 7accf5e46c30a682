#include "serial/TelnetComPort.h"

#include <cstdint>

namespace {
// Telnet commands.
constexpr unsigned char kSE = 240;
constexpr unsigned char kSB = 250;
constexpr unsigned char kWILL = 251;
constexpr unsigned char kWONT = 252;
constexpr unsigned char kDO = 253;
constexpr unsigned char kDONT = 254;
constexpr unsigned char kIAC = 255;
// Options.
constexpr unsigned char kBinary = 0;
constexpr unsigned char kSuppressGoAhead = 3;
constexpr unsigned char kComPort = 44;
// COM-PORT-OPTION commands from the monitor; the bridge's answers and
// notices add 100.
constexpr unsigned char kSetBaudRate = 1;
constexpr unsigned char kSetDataSize = 2;
constexpr unsigned char kSetParity = 3;
constexpr unsigned char kSetStopSize = 4;
constexpr unsigned char kSetControl = 5;
constexpr unsigned char kNotifyModemState = 7;
constexpr unsigned char kServer = 100;

bool Accepted(unsigned char option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

std::string Command(unsigned char verb, unsigned char option) {
    return {static_cast<char>(kIAC), static_cast<char>(verb), static_cast<char>(option)};
}

std::string ComPortCommand(unsigned char command, std::string_view value) {
    std::string out = {static_cast<char>(kIAC), static_cast<char>(kSB), static_cast<char>(kComPort),
                       static_cast<char>(command)};
    TelnetComPort::Escape(value, out);
    return out + static_cast<char>(kIAC) + static_cast<char>(kSE);
}

std::string OneByte(unsigned value) {
    return std::string(1, static_cast<char>(value));
}

unsigned char ParityValue(TParityBits parity) {
    switch (parity) {
    case pbOdd:
        return 2;
    case pbEven:
        return 3;
    case pbMark:
        return 4;
    case pbSpace:
        return 5;
    default:
        return 1;
    }
}

unsigned char StopSizeValue(TStopBits stopBits) {
    return stopBits == sb2Bits ? 2 : stopBits == sb1_5Bits ? 3 : 1;
}

unsigned char FlowValue(const LineSettings& settings) {
    if (settings.hwFlow == hfRTSCTS)
        return 3;
    return settings.xonXoff ? 2 : 1;
}
} // namespace

std::string TelnetComPort::Greeting() {
    local_[kComPort] = local_[kBinary] = remote_[kBinary] = true;
    return Command(kWILL, kComPort) + Command(kWILL, kBinary) + Command(kDO, kBinary);
}

std::string TelnetComPort::LineCommands(const LineSettings& settings) {
    const auto rate = static_cast<std::uint32_t>(settings.baudRate);
    const std::string rateBytes = {static_cast<char>(rate >> 24), static_cast<char>(rate >> 16),
                                   static_cast<char>(rate >> 8), static_cast<char>(rate)};
    std::string out = ComPortCommand(kSetBaudRate, rateBytes) +
                      ComPortCommand(kSetDataSize, OneByte(settings.dataBits)) +
                      ComPortCommand(kSetParity, OneByte(ParityValue(settings.parity))) +
                      ComPortCommand(kSetStopSize, OneByte(StopSizeValue(settings.stopBits))) +
                      ComPortCommand(kSetControl, OneByte(FlowValue(settings)));
    // Lines under a handshake are the bridge's to drive.
    if (settings.hwFlow != hfDTRDSR)
        out += ComPortCommand(kSetControl, OneByte(settings.dtrOn ? 8 : 9));
    if (settings.hwFlow != hfRTSCTS)
        out += ComPortCommand(kSetControl, OneByte(settings.rtsOn ? 11 : 12));
    return out;
}

void TelnetComPort::Escape(std::string_view data, std::string& out) {
    for (const char byte : data) {
        out += byte;
        if (static_cast<unsigned char>(byte) == kIAC)
            out += byte;
    }
}

std::size_t TelnetComPort::Unwrap(char* data, std::size_t size, std::string& replies) {
    std::size_t kept = 0;
    for (std::size_t at = 0; at < size; ++at) {
        const auto byte = static_cast<unsigned char>(data[at]);
        switch (state_) {
        case State::Data:
            if (byte == kIAC)
                state_ = State::Command;
            else
                data[kept++] = static_cast<char>(byte);
            break;
        case State::Command:
            // Commands other than these (NOP, go-ahead, …) carry nothing.
            state_ = State::Data;
            if (byte == kIAC) {
                data[kept++] = static_cast<char>(byte);
            } else if (byte >= kWILL) {
                verb_ = byte;
                state_ = State::Option;
            } else if (byte == kSB) {
                sub_.clear();
                state_ = State::Sub;
            }
            break;
        case State::Option:
            Negotiate(verb_, byte, replies);
            state_ = State::Data;
            break;
        case State::Sub:
            if (byte == kIAC)
                state_ = State::SubCommand;
            else
                sub_ += static_cast<char>(byte);
            break;
        case State::SubCommand:
            if (byte == kIAC) {
                sub_ += static_cast<char>(byte);
                state_ = State::Sub;
            } else {
                // IAC SE ends it; anything else after IAC ends it as well.
                Subnegotiation();
                state_ = State::Data;
            }
            break;
        }
    }
    return kept;
}

void TelnetComPort::Negotiate(unsigned char verb, unsigned char option, std::string& replies) {
    // An option already as asked is not answered again, so that neither
    // side's answer sets off another.
    const bool on = verb == kWILL || verb == kDO;
    std::bitset<256>& state = verb == kWILL || verb == kWONT ? remote_ : local_;
    if (on && !Accepted(option)) {
        replies += Command(verb == kWILL ? kDONT : kWONT, option);
        return;
    }
    if (state[option] == on)
        return;
    state[option] = on;
    if (verb == kWILL || verb == kWONT)
        replies += Command(on ? kDO : kDONT, option);
    else
        replies += Command(on ? kWILL : kWONT, option);
}

void TelnetComPort::Subnegotiation() {
    if (sub_.size() < 3 || static_cast<unsigned char>(sub_[0]) != kComPort ||
        static_cast<unsigned char>(sub_[1]) != kServer + kNotifyModemState)
        return;
    const auto state = static_cast<unsigned char>(sub_[2]);
    TLineStatusSet lines;
    const std::pair<unsigned char, TLineStatus> bits[] = {
        {0x10, lsCTS}, {0x20, lsDSR}, {0x40, lsRING}, {0x80, lsCD}};
    for (const auto& [bit, line] : bits)
        if (state & bit)
            lines.Include(line);
    modemLines_ = lines;
}
