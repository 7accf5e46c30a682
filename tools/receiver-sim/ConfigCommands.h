#pragma once
// The simulated receiver's configuration and the CFG commands that read and
// change it: CFG-PRT, CFG-MSG, CFG-RATE, CFG-ANT and CFG-CFG, taken as a
// u-blox receiver takes them. It keeps the three copies a receiver has: the
// defaults, the permanent one that CFG-CFG saves and loads, and the one in
// force.
//
// A generation 9+ receiver adds its configuration database and CFG-VALGET,
// CFG-VALSET and CFG-VALDEL (ValueCommands.h). There CFG-CFG also clears,
// saves and loads the BBR and Flash layers (the 13-byte form's device mask
// choosing them for clear and save), and a reset rebuilds RAM from them. A
// generation 10 receiver refuses the legacy CFG-PRT, CFG-MSG, CFG-RATE and
// CFG-ANT.

#include "tools/receiver-sim/ConfigDatabase.h"
#include "tools/receiver-sim/ReceiverConfig.h"
#include "tools/receiver-sim/ValueCommands.h"

#include <cstdint>
#include <string>
#include <vector>

class ConfigCommands {
public:
    ConfigCommands(const ReceiverConfig& defaults, int generation);

    const ReceiverConfig& InForce() const { return config_; }
    ReceiverConfig& InForce() { return config_; }
    // What a hardware or software reset does: the permanent configuration
    // goes in force.
    void LoadPermanent();

    // Takes the payload of the CFG message with this id (CFG-RST aside) and
    // returns the answers in order: the polled message for a poll, then
    // ACK-ACK once taken or ACK-NAK when refused.
    std::vector<std::string> Take(std::uint8_t id, const std::string& payload);

private:
    // Each returns whether the command was taken (ACK-ACK) or refused (ACK-NAK).
    bool TakePortCommand(const std::string& payload);
    bool TakeMessageCommand(const std::string& payload);
    bool TakeRateCommand(const std::string& payload);
    bool TakeAntennaCommand(const std::string& payload);
    bool TakeConfigurationCommand(const std::string& payload);

    bool Legacy(std::uint8_t id) const;

    int generation_;
    ReceiverConfig defaults_, permanent_, config_;
    ConfigDatabase database_;
    ValueCommands values_;
    std::vector<std::string> answers_; // of the command being taken
};
