#pragma once
// The simulated receiver's configuration and the CFG commands that read and
// change it: CFG-PRT, CFG-MSG, CFG-RATE, CFG-ANT and CFG-CFG, taken as a
// u-blox receiver takes them. It keeps the three copies a receiver has: the
// defaults, the permanent one that CFG-CFG saves and loads, and the one in
// force.

#include "tools/receiver-sim/ReceiverConfig.h"

#include <cstdint>
#include <string>
#include <vector>

class ConfigCommands {
public:
    explicit ConfigCommands(const ReceiverConfig& defaults);

    const ReceiverConfig& InForce() const { return config_; }
    ReceiverConfig& InForce() { return config_; }
    // What a hardware or software reset does: the permanent configuration
    // goes in force.
    void LoadPermanent() { config_ = permanent_; }

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

    ReceiverConfig defaults_, permanent_, config_;
    std::vector<std::string> answers_; // of the command being taken
};
