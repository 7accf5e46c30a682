#include "tools/receiver-sim/BoundConfigKeys.h"

#include "protocol/configkeys/ConfigKeys.h"

#include <string>
#include <unordered_map>

namespace {
enum class Field {
    MeasurementPeriod,
    NavigationRate,
    TimeReference,
    Baud,
    InProtocol,
    OutProtocol,
    MessageRate,
    TimeMode,
    SurveyMinDuration,
    SurveyAccuracyLimit
};

struct Binding {
    Field field;
    int port = 0;          // by UBX port id
    std::uint16_t bit = 0; // protocol mask bit
    size_t message = 0;    // kOutputMessages index
};

// Key names call the ports by these, in UBX port id order.
constexpr std::string_view kPortNames[kPortCount] = {"I2C", "UART1", "UART2", "USB", "SPI"};

// "NMEA_ID_GGA", "UBX_NAV_PVT", "RTCM_3X_TYPE1005": how CFG-MSGOUT names a
// message; empty for the PUBX messages, which have no key.
std::string MessageItem(const OutputMessage& message) {
    if (message.ubxClass == kNmeaStandardClass)
        return "NMEA_ID_" + std::string(message.name);
    if (message.protocol() == OutputProtocol::Rtcm3) // "RTCM 1005"
        return "RTCM_3X_TYPE" + std::string(message.name.substr(5));
    if (message.protocol() != OutputProtocol::Ubx)
        return {};
    std::string item = "UBX_" + std::string(message.name);
    for (char& c : item)
        if (c == '-')
            c = '_';
    return item;
}

const std::unordered_map<std::uint32_t, Binding>& Bindings() {
    static const std::unordered_map<std::uint32_t, Binding> bindings = [] {
        std::unordered_map<std::uint32_t, Binding> table;
        const auto bind = [&table](const std::string& name, Binding binding) {
            if (const ubx::TConfigKey* key = ubx::FindConfigKey(name))
                table.emplace(key->id, binding);
        };
        bind("CFG-RATE-MEAS", {Field::MeasurementPeriod});
        bind("CFG-RATE-NAV", {Field::NavigationRate});
        bind("CFG-RATE-TIMEREF", {Field::TimeReference});
        bind("CFG-TMODE-MODE", {Field::TimeMode});
        bind("CFG-TMODE-SVIN_MIN_DUR", {Field::SurveyMinDuration});
        bind("CFG-TMODE-SVIN_ACC_LIMIT", {Field::SurveyAccuracyLimit});
        for (int port = 0; port < kPortCount; ++port) {
            const std::string name(kPortNames[port]);
            bind("CFG-" + name + "-BAUDRATE", {Field::Baud, port});
            for (const auto& [protocol, bit] : {std::pair{"UBX", kProtocolUbx},
                                                {"NMEA", kProtocolNmea},
                                                {"RTCM3X", kProtocolRtcm3}}) {
                bind("CFG-" + name + "INPROT-" + protocol, {Field::InProtocol, port, bit});
                bind("CFG-" + name + "OUTPROT-" + protocol, {Field::OutProtocol, port, bit});
            }
            for (size_t message = 0; message < kOutputMessageCount; ++message)
                if (const std::string item = MessageItem(kOutputMessages[message]); !item.empty())
                    bind("CFG-MSGOUT-" + item + "_" + name, {Field::MessageRate, port, 0, message});
        }
        return table;
    }();
    return bindings;
}

const Binding* FindBinding(std::uint32_t key) {
    const auto found = Bindings().find(key);
    return found == Bindings().end() ? nullptr : &found->second;
}
} // namespace

std::optional<std::uint64_t> ReadBoundKey(const ReceiverConfig& config, std::uint32_t key) {
    const Binding* binding = FindBinding(key);
    if (!binding)
        return std::nullopt;
    const PortConfig& port = config.ports[static_cast<size_t>(binding->port)];
    switch (binding->field) {
    case Field::MeasurementPeriod:
        return config.measurementPeriodMs;
    case Field::NavigationRate:
        return config.navigationRate;
    case Field::TimeReference:
        return config.timeReference;
    case Field::Baud:
        return port.baudRate;
    case Field::InProtocol:
        return (port.inProtoMask & binding->bit) ? 1 : 0;
    case Field::OutProtocol:
        return (port.outProtoMask & binding->bit) ? 1 : 0;
    case Field::MessageRate:
        return config.rates[binding->message][static_cast<size_t>(binding->port)];
    case Field::TimeMode:
        return config.timeMode;
    case Field::SurveyMinDuration:
        return config.surveyMinDurationS;
    case Field::SurveyAccuracyLimit:
        return config.surveyAccuracyLimit;
    }
    return std::nullopt;
}

BoundWrite WriteBoundKey(ReceiverConfig& config, std::uint32_t key, std::uint64_t value) {
    const Binding* binding = FindBinding(key);
    if (!binding)
        return BoundWrite::NotBound;
    PortConfig& port = config.ports[static_cast<size_t>(binding->port)];
    const auto within = [value](std::uint64_t lowest, std::uint64_t highest) {
        return value >= lowest && value <= highest;
    };
    const auto setBit = [value](std::uint16_t& mask, std::uint16_t bit) {
        mask = static_cast<std::uint16_t>(value ? mask | bit : mask & ~bit);
    };
    switch (binding->field) {
    case Field::MeasurementPeriod:
        if (!within(kShortestPeriodMs, 0xFFFF))
            return BoundWrite::Refused;
        config.measurementPeriodMs = static_cast<std::uint16_t>(value);
        break;
    case Field::NavigationRate:
        if (!within(1, kMostMeasurementsPerSolution))
            return BoundWrite::Refused;
        config.navigationRate = static_cast<std::uint16_t>(value);
        break;
    case Field::TimeReference:
        if (!within(0, kLastTimeReference))
            return BoundWrite::Refused;
        config.timeReference = static_cast<std::uint16_t>(value);
        break;
    case Field::Baud:
        if (!within(kLowestBaud, kHighestBaud))
            return BoundWrite::Refused;
        port.baudRate = static_cast<std::uint32_t>(value);
        break;
    case Field::InProtocol:
    case Field::OutProtocol:
        if (!within(0, 1))
            return BoundWrite::Refused;
        setBit(binding->field == Field::InProtocol ? port.inProtoMask : port.outProtoMask,
               binding->bit);
        break;
    case Field::MessageRate:
        config.rates[binding->message][static_cast<size_t>(binding->port)] =
            static_cast<std::uint8_t>(value);
        break;
    case Field::TimeMode: // a fixed base position is not simulated
        if (!within(kTimeModeDisabled, kTimeModeSurveyIn))
            return BoundWrite::Refused;
        config.timeMode = static_cast<std::uint8_t>(value);
        break;
    case Field::SurveyMinDuration:
        config.surveyMinDurationS = static_cast<std::uint32_t>(value);
        break;
    case Field::SurveyAccuracyLimit:
        if (!within(1, 0xFFFFFFFF))
            return BoundWrite::Refused;
        config.surveyAccuracyLimit = static_cast<std::uint32_t>(value);
        break;
    }
    return BoundWrite::Taken;
}
