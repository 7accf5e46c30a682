#pragma once
// Which receiver answers, as its MON-VER tells: the generation (8 for a
// NEO-M8N, 9 for a ZED-F9P or NEO-M9N, 10 for a MAX-M10S, 20 for an X20),
// read from the module name ("MOD=") or else from the protocol version
// ("PROTVER="), and whether it is configured through the configuration
// database (protocol 27 and later: every generation 9+ receiver) or through
// the legacy CFG messages. Generation 10 and later no longer accept the
// legacy CFG-PRT, CFG-MSG and CFG-RATE.

#include "protocol/commands/UbxCommands.h"

#include <string>

namespace ubx {

struct TReceiverGeneration {
    int generation = 0;          // 0 when neither module nor protocol tells
    std::string protocolVersion; // "27.31"; empty when MON-VER names none
    bool configurationDatabase = false;

    // "Generation 9 receiver, protocol 27.31: configured through the
    // configuration database".
    std::string Text() const;
};

TReceiverGeneration ReceiverGenerationOf(const TMonVer& version);

} // namespace ubx
