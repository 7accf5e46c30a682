#pragma once
// The message rates the window has asked of the receiver, from the commands
// it settled: a message's rate set by CFG-MSG (one message every n
// navigation solutions) on UART1, or on the port the command arrives on in
// its short form, or by its CFG-MSGOUT key for UART1 in RAM, over the
// navigation period set or polled by CFG-RATE or its CFG-RATE keys (the
// receiver's default, 1 s, until then). A configuration loaded or reverted
// by CFG-CFG drops what was asked.

#include "protocol/UbxFrame.h"
#include "protocol/commands/UbxCommands.h"

#include <chrono>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace ubx {
struct TCommandOutcome;
}

class TAskedRates {
public:
    // A command the receiver answered or let expire; true when the asked
    // rates changed.
    bool Settled(const TUBXPacket& command, const ubx::TCommandOutcome& outcome);
    // Messages a second by the name the Configure page gives the message.
    std::map<std::string, double> Hz() const;

private:
    // True when the period changed.
    bool SetPeriod(std::optional<ubx::TCfgRate> rate);
    // True when the message's rate changed; 0 turns it off.
    bool SetEveryNth(const std::string& name, int everyNth);
    // The rates a CFG-VALSET sets in RAM; true when any changed.
    bool SetKeys(std::span<const std::uint8_t> cfgValSet);

    std::map<std::string, int> everyNth_; // solutions per message, by name
    std::chrono::milliseconds solutionPeriod_{1000};
};
