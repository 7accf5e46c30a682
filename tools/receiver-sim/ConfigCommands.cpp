#include "tools/receiver-sim/ConfigCommands.h"

#include "tools/receiver-sim/ConfigFrames.h"

#include <algorithm>
#include <utility>

namespace {
constexpr size_t kCfgCfgLength = 12; // 13 with the device mask
constexpr size_t kCfgAntLength = 4;
} // namespace

ConfigCommands::ConfigCommands(const ReceiverConfig& defaults, int generation)
    : generation_(generation), defaults_(defaults), permanent_(defaults), config_(defaults),
      database_(defaults) {}

void ConfigCommands::LoadPermanent() {
    config_ = permanent_;
    if (generation_ >= 9)
        database_.Load(config_);
}

bool ConfigCommands::Legacy(std::uint8_t id) const {
    return id == kUbxIdCfgPrt || id == kUbxIdCfgMsg || id == kUbxIdCfgRate || id == kUbxIdCfgAnt;
}

std::vector<std::string> ConfigCommands::Take(std::uint8_t id, const std::string& payload) {
    values_.Interrupt(id);
    bool taken = false;
    // Generation 10 refuses the legacy messages like ones it does not know.
    const bool refused = generation_ >= 10 && Legacy(id);
    switch (refused ? std::uint8_t{0xFF} : id) {
    case kUbxIdCfgPrt:
        taken = TakePortCommand(payload);
        break;
    case kUbxIdCfgMsg:
        taken = TakeMessageCommand(payload);
        break;
    case kUbxIdCfgRate:
        taken = TakeRateCommand(payload);
        break;
    case kUbxIdCfgAnt:
        taken = TakeAntennaCommand(payload);
        break;
    case kUbxIdCfgCfg:
        taken = TakeConfigurationCommand(payload);
        break;
    case ubx::kIdCfgValGet:
        taken = generation_ >= 9 && values_.TakeGet(payload, database_, config_, answers_);
        break;
    case ubx::kIdCfgValSet:
    case ubx::kIdCfgValDel:
        taken = generation_ >= 9 && values_.TakeChange(id, payload, database_, config_);
        break;
    }
    answers_.push_back(AckFrame(taken, kUbxClassCfg, id));
    return std::exchange(answers_, {});
}

// Poll of the line's port (no payload) or of port n (one byte); set of one
// port's settings (20 bytes). A UART takes rates from 4800 to 921600 baud.
bool ConfigCommands::TakePortCommand(const std::string& payload) {
    if (payload.size() != 0 && payload.size() != 1 && payload.size() != kCfgPrtLength)
        return false;
    const int portId = payload.empty() ? kLinePort : static_cast<unsigned char>(payload[0]);
    if (portId >= kPortCount)
        return false;
    PortConfig& port = config_.ports[static_cast<size_t>(portId)];
    if (payload.size() <= 1) {
        answers_.push_back(CfgPrtFrame(portId, port));
        return true;
    }
    PortConfig wanted{static_cast<std::uint16_t>(Unsigned(payload, 2, 2)),
                      Unsigned(payload, 4, 4),
                      Unsigned(payload, 8, 4),
                      static_cast<std::uint16_t>(Unsigned(payload, 12, 2)),
                      static_cast<std::uint16_t>(Unsigned(payload, 14, 2)),
                      static_cast<std::uint16_t>(Unsigned(payload, 16, 2))};
    const bool uart = portId == 1 || portId == 2;
    if (uart && (wanted.baudRate < kLowestBaud || wanted.baudRate > kHighestBaud))
        return false;
    port = wanted;
    return true;
}

// Poll (class, id), set for the line (class, id, rate) or for every port
// (class, id, six rates). A message this receiver does not send is off on
// every port: a poll says so, a set that keeps it off is taken, any other
// refused.
bool ConfigCommands::TakeMessageCommand(const std::string& payload) {
    if (payload.size() != 2 && payload.size() != 3 && payload.size() != 2 + kRatePorts)
        return false;
    const auto ubxClass = static_cast<std::uint8_t>(payload[0]);
    const auto id = static_cast<std::uint8_t>(payload[1]);
    auto message = FindOutputMessage(ubxClass, id);
    if (message && !kOutputMessages[*message].SentBy(generation_))
        message.reset();
    if (!message) {
        if (payload.size() == 2)
            answers_.push_back(CfgMsgFrame(ubxClass, id, MessageRates{}));
        return std::all_of(payload.begin() + 2, payload.end(), [](char rate) { return rate == 0; });
    }
    MessageRates& rates = config_.rates[*message];
    if (payload.size() == 2)
        answers_.push_back(CfgMsgFrame(ubxClass, id, rates));
    else if (payload.size() == 3)
        rates[kLinePort] = static_cast<std::uint8_t>(payload[2]);
    else
        for (size_t port = 0; port < rates.size(); ++port)
            rates[port] = static_cast<std::uint8_t>(payload[2 + port]);
    return true;
}

// Poll (no payload) or set of measurement period, navigation rate and time reference.
bool ConfigCommands::TakeRateCommand(const std::string& payload) {
    if (payload.empty()) {
        answers_.push_back(CfgRateFrame(config_));
        return true;
    }
    if (payload.size() != kCfgRateLength)
        return false;
    const std::uint32_t period = Unsigned(payload, 0, 2);
    const std::uint32_t navigationRate = Unsigned(payload, 2, 2);
    const std::uint32_t timeReference = Unsigned(payload, 4, 2);
    if (period < kShortestPeriodMs || navigationRate < 1 ||
        navigationRate > kMostMeasurementsPerSolution || timeReference > kLastTimeReference)
        return false;
    config_.measurementPeriodMs = static_cast<std::uint16_t>(period);
    config_.navigationRate = static_cast<std::uint16_t>(navigationRate);
    config_.timeReference = static_cast<std::uint16_t>(timeReference);
    return true;
}

bool ConfigCommands::TakeAntennaCommand(const std::string& payload) {
    if (payload.empty()) {
        answers_.push_back(CfgAntFrame(config_.antenna));
        return true;
    }
    if (payload.size() != kCfgAntLength)
        return false;
    config_.antenna.flags = static_cast<std::uint16_t>(Unsigned(payload, 0, 2));
    config_.antenna.pins = static_cast<std::uint16_t>(Unsigned(payload, 2, 2));
    return true;
}

// Clear (the permanent sections back to defaults), save (the sections in
// force made permanent), load (the permanent sections put in force), in
// that order. Generation 9+ does the same with all of the database: BBR and
// Flash emptied, RAM stored in them, RAM rebuilt from them; the device mask
// of the 13-byte form chooses BBR (bit 0) and Flash (bits 1, 2 and 4), both
// without it.
bool ConfigCommands::TakeConfigurationCommand(const std::string& payload) {
    if (payload.size() != kCfgCfgLength && payload.size() != kCfgCfgLength + 1)
        return false;
    const std::uint32_t clear = Unsigned(payload, 0, 4);
    const std::uint32_t save = Unsigned(payload, 4, 4);
    const std::uint32_t load = Unsigned(payload, 8, 4);
    CopySections(defaults_, permanent_, clear);
    CopySections(config_, permanent_, save);
    CopySections(permanent_, config_, load);
    if (generation_ < 9)
        return true;
    std::uint8_t devices = ubx::kLayerBbr | ubx::kLayerFlash;
    if (payload.size() > kCfgCfgLength) {
        const auto mask = static_cast<std::uint8_t>(payload[kCfgCfgLength]);
        devices = static_cast<std::uint8_t>(((mask & 0x01) ? ubx::kLayerBbr : 0) |
                                            ((mask & 0x16) ? ubx::kLayerFlash : 0));
    }
    if (clear)
        database_.Clear(devices);
    if (save)
        database_.Save(devices, config_);
    if (load)
        database_.Load(config_);
    return true;
}
