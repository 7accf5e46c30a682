#include "protocol/commands/DatabaseSettings.h"

#include <algorithm>
#include <map>
#include <string>

namespace ubx {
namespace {

constexpr std::size_t kPortsWithKeys = 5; // I2C, UART1, UART2, USB, SPI

// The message's part of its CFG-MSGOUT key names: "NMEA_ID_GGA",
// "PUBX_ID_POLYP", "UBX_NAV_PVT".
std::string MsgOutName(std::string_view messageName) {
    static const std::map<std::string_view, std::string_view> kPubx = {
        {"PUBX,00", "POLYP"}, {"PUBX,03", "POLYS"}, {"PUBX,04", "POLYT"}};
    if (const auto pubx = kPubx.find(messageName); pubx != kPubx.end())
        return "PUBX_ID_" + std::string(pubx->second);
    if (messageName.find('-') == std::string_view::npos)
        return "NMEA_ID_" + std::string(messageName);
    std::string name = "UBX_" + std::string(messageName);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

std::map<std::uint32_t, std::uint64_t> ValueMap(std::span<const TConfigValue> given) {
    std::map<std::uint32_t, std::uint64_t> values;
    for (const TConfigValue& value : given)
        values[value.key] = value.value;
    return values;
}

std::map<std::uint32_t, std::uint64_t> ValuesOf(std::span<const std::uint8_t> answer) {
    const auto read = ReadCfgValGet(answer);
    return read ? ValueMap(read->values) : std::map<std::uint32_t, std::uint64_t>{};
}

TUBXPacket PollRam(std::span<const std::uint32_t> keys) {
    return CfgValGetPoll(TConfigLayer::Ram, keys);
}

const std::array<std::uint32_t, 3>& RateKeys() {
    static const std::array<std::uint32_t, 3> keys = {
        ConfigKeyId("CFG-RATE-MEAS"), ConfigKeyId("CFG-RATE-NAV"), ConfigKeyId("CFG-RATE-TIMEREF")};
    return keys;
}

// Baud rate, then the protocol switches in the bit order of CFG-PRT's masks.
const std::array<std::uint32_t, 7>& Uart1Keys() {
    static const std::array<std::uint32_t, 7> keys = {
        ConfigKeyId("CFG-UART1-BAUDRATE"),     ConfigKeyId("CFG-UART1INPROT-UBX"),
        ConfigKeyId("CFG-UART1INPROT-NMEA"),   ConfigKeyId("CFG-UART1INPROT-RTCM3X"),
        ConfigKeyId("CFG-UART1OUTPROT-UBX"),   ConfigKeyId("CFG-UART1OUTPROT-NMEA"),
        ConfigKeyId("CFG-UART1OUTPROT-RTCM3X")};
    return keys;
}

std::vector<std::uint32_t> PresentKeys(const TMessageRateKeys& keys) {
    std::vector<std::uint32_t> present;
    std::copy_if(keys.begin(), keys.end(), std::back_inserter(present),
                 [](std::uint32_t key) { return key != 0; });
    return present;
}

std::vector<std::uint32_t> CheckedRateKeys(std::string_view messageName) {
    std::vector<std::uint32_t> keys = PresentKeys(MessageRateKeys(messageName));
    if (keys.empty())
        throw EConfigError(std::string(messageName) +
                           " has no output rate in the configuration database: the receiver "
                           "does not send it");
    return keys;
}

} // namespace

std::uint32_t ConfigKeyId(std::string_view name) {
    const TConfigKey* key = FindConfigKey(name);
    if (!key)
        throw EConfigError("The configuration key table holds no " + std::string(name));
    return key->id;
}

TMessageRateKeys MessageRateKeys(std::string_view messageName) {
    TMessageRateKeys keys{};
    const std::string stem = "CFG-MSGOUT-" + MsgOutName(messageName) + "_";
    for (std::size_t port = 0; port < kPortsWithKeys; ++port)
        if (const TConfigKey* key = FindConfigKey(stem + kMsgRatePorts[port]))
            keys[port] = key->id;
    return keys;
}

TUBXPacket RateValGet() {
    return PollRam(RateKeys());
}

TUBXPacket RateValSet(const TCfgRate& rate) {
    const auto& keys = RateKeys();
    const TConfigValue values[] = {
        {keys[0], rate.measRateMs}, {keys[1], rate.navRate}, {keys[2], rate.timeRef}};
    return CfgValSet(kLayerRam, values);
}

std::optional<TCfgRate> RateOfValGet(std::span<const std::uint8_t> answer) {
    const auto read = ReadCfgValGet(answer);
    return read ? RateOfValues(read->values) : std::nullopt;
}

std::optional<TCfgRate> RateOfValues(std::span<const TConfigValue> given) {
    const auto values = ValueMap(given);
    const auto& keys = RateKeys();
    if (!values.contains(keys[0]) || !values.contains(keys[1]))
        return std::nullopt;
    TCfgRate rate;
    rate.measRateMs = static_cast<std::uint16_t>(values.at(keys[0]));
    rate.navRate = static_cast<std::uint16_t>(values.at(keys[1]));
    if (values.contains(keys[2]))
        rate.timeRef = static_cast<std::uint16_t>(values.at(keys[2]));
    return rate;
}

TUBXPacket RatePoll(bool database) {
    return database ? RateValGet() : CfgRatePoll();
}

std::optional<TCfgRate> RateOfAnswer(bool database, std::span<const std::uint8_t> answer) {
    return database ? RateOfValGet(answer) : ReadCfgRate(answer);
}

TUBXPacket MessageRateValGet(std::string_view messageName) {
    return PollRam(CheckedRateKeys(messageName));
}

TUBXPacket MessageRateValSet(std::string_view messageName, const TMessageRates& rates) {
    CheckedRateKeys(messageName);
    const TMessageRateKeys keys = MessageRateKeys(messageName);
    std::vector<TConfigValue> values;
    for (std::size_t port = 0; port < keys.size(); ++port)
        if (keys[port] != 0)
            values.push_back({keys[port], rates[port]});
    return CfgValSet(kLayerRam, values);
}

TUBXPacket MessageRateValSetOn(std::string_view messageName, std::size_t port, std::uint8_t rate) {
    CheckedRateKeys(messageName);
    const std::uint32_t key = MessageRateKeys(messageName).at(port);
    if (key == 0)
        throw EConfigError(std::string(messageName) + " has no output rate on " +
                           kMsgRatePorts.at(port) + " in the configuration database");
    const TConfigValue value[] = {{key, rate}};
    return CfgValSet(kLayerRam, value);
}

std::optional<TMessageRates> MessageRatesOfValGet(std::span<const std::uint8_t> answer,
                                                  std::string_view messageName) {
    const auto values = ValuesOf(answer);
    if (values.empty())
        return std::nullopt;
    const TMessageRateKeys keys = MessageRateKeys(messageName);
    TMessageRates rates{};
    for (std::size_t port = 0; port < keys.size(); ++port)
        if (const auto value = values.find(keys[port]); keys[port] != 0 && value != values.end())
            rates[port] = static_cast<std::uint8_t>(value->second);
    return rates;
}

TUBXPacket Uart1ValGet() {
    return PollRam(Uart1Keys());
}

TUBXPacket Uart1BaudValSet(std::uint32_t baudRate) {
    const TConfigValue value[] = {{Uart1Keys()[0], baudRate}};
    return CfgValSet(kLayerRam, value);
}

std::optional<TCfgPrt> Uart1OfValGet(std::span<const std::uint8_t> answer) {
    const auto values = ValuesOf(answer);
    const auto& keys = Uart1Keys();
    if (!values.contains(keys[0]))
        return std::nullopt;
    TCfgPrt port;
    port.portId = 1;
    port.baudRate = static_cast<std::uint32_t>(values.at(keys[0]));
    const auto mask = [&](std::size_t first) {
        std::uint16_t bits = 0;
        for (std::size_t bit = 0; bit < 3; ++bit)
            if (const auto value = values.find(keys[first + bit]);
                value != values.end() && value->second != 0)
                bits |= static_cast<std::uint16_t>(1u << bit);
        return bits;
    };
    // RTCM 3 is bit 5 of CFG-PRT's masks, after RTCM 2 (bit 2).
    const auto withRtcm3 = [](std::uint16_t bits) {
        return static_cast<std::uint16_t>((bits & 0x3) | ((bits & 0x4) << 3));
    };
    port.inProtoMask = withRtcm3(mask(1));
    port.outProtoMask = withRtcm3(mask(4));
    return port;
}

} // namespace ubx
