#pragma once
// The telnet side of a source opened as rfc2217://HOST:PORT: a serial-to-
// network bridge, such as ser2net's telnet(rfc2217) accepter, whose far line
// the monitor sets through the telnet COM-PORT-OPTION (RFC 2217).
//
// The monitor asks for binary transmission both ways and offers to control
// the com port; it agrees to suppressing go-ahead and refuses every other
// option, answering each request once. Received bytes lose the telnet
// commands among them, an escaped 0xFF becoming one data byte; a data 0xFF
// sent goes out doubled. Line settings go out as SET-BAUDRATE, SET-DATASIZE,
// SET-PARITY, SET-STOPSIZE and SET-CONTROL; the bridge's notices of its
// modem lines are kept.

#include "serial/PosixDevice.h"

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>

class TelnetComPort {
public:
    // What the monitor says first: the options it asks for count as in force.
    std::string Greeting();
    // The commands that set the far line as settings say.
    static std::string LineCommands(const LineSettings& settings);
    // Appends data to out with each 0xFF doubled.
    static void Escape(std::string_view data, std::string& out);

    // Takes the telnet commands out of size received bytes, in place, and
    // returns how many data bytes remain; what to answer the bridge is
    // appended to replies. A command split between reads is taken whole.
    std::size_t Unwrap(char* data, std::size_t size, std::string& replies);
    // The modem lines the bridge last told of; empty until it does.
    TLineStatusSet ModemLines() const { return modemLines_; }

private:
    enum class State { Data, Command, Option, Sub, SubCommand };
    void Negotiate(unsigned char verb, unsigned char option, std::string& replies);
    void Subnegotiation();

    State state_ = State::Data;
    unsigned char verb_ = 0;
    std::string sub_;
    // The options in force on the bridge's side and on the monitor's.
    std::bitset<256> remote_;
    std::bitset<256> local_;
    TLineStatusSet modemLines_;
};
