#include "window/parts/AskedRates.h"

#include "protocol/commands/CommandTracker.h"
#include "protocol/commands/DatabaseSettings.h"
#include "protocol/commands/OutputMessages.h"
#include "protocol/commands/UbxCommands.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {
constexpr std::size_t kUart1 = 1;
constexpr std::chrono::milliseconds kDefaultPeriod{1000};

std::optional<std::string> NameOf(std::span<const std::uint8_t> payload) {
    if (payload.size() < 2)
        return std::nullopt;
    for (const TOutputMessage& message : OutputMessages())
        if (message.Class == payload[0] && message.Id == payload[1])
            return std::string(message.Name);
    return std::nullopt;
}

// The rate on the monitor's port: UART1 of the full form, or the one rate of
// the short form (the port the command arrives on).
std::optional<int> EveryNth(std::span<const std::uint8_t> payload) {
    if (const auto rates = ubx::ReadCfgMsg(payload))
        return rates->rates[kUart1];
    if (payload.size() == 3)
        return payload[2];
    return std::nullopt;
}

// The message whose UART1 rate a CFG-MSGOUT key sets, by its key ID.
const std::map<std::uint32_t, std::string>& Uart1RateKeys() {
    static const std::map<std::uint32_t, std::string> keys = [] {
        std::map<std::uint32_t, std::string> byKey;
        for (const TOutputMessage& message : OutputMessages())
            if (const std::uint32_t key = ubx::MessageRateKeys(message.Name)[kUart1])
                byKey[key] = std::string(message.Name);
        return byKey;
    }();
    return keys;
}

// Whether a CFG-CFG loads a configuration (its load mask, bytes 8 to 11).
bool Loads(std::span<const std::uint8_t> payload) {
    return payload.size() >= 12 &&
           std::any_of(payload.begin() + 8, payload.begin() + 12, [](auto b) { return b != 0; });
}
} // namespace

bool TAskedRates::SetPeriod(std::optional<ubx::TCfgRate> rate) {
    if (!rate)
        return false;
    const std::chrono::milliseconds period(rate->measRateMs * rate->navRate);
    return std::exchange(solutionPeriod_, period) != period;
}

bool TAskedRates::SetEveryNth(const std::string& name, int everyNth) {
    if (everyNth == 0)
        return everyNth_.erase(name) > 0;
    return std::exchange(everyNth_[name], everyNth) != everyNth;
}

bool TAskedRates::SetKeys(std::span<const std::uint8_t> cfgValSet) {
    const auto set = ubx::ReadCfgValSet(cfgValSet);
    if (!set || !(set->layers & ubx::kLayerRam))
        return false;
    bool changed = false;
    for (const ubx::TConfigValue& value : set->values)
        if (const auto message = Uart1RateKeys().find(value.key); message != Uart1RateKeys().end())
            changed |= SetEveryNth(message->second, static_cast<int>(value.value));
    // Measurement period and solutions per measurement as CFG-RATE has them.
    changed |= SetPeriod(ubx::RateOfValues(set->values));
    return changed;
}

bool TAskedRates::Settled(const TUBXPacket& command, const ubx::TCommandOutcome& outcome) {
    if (outcome.kind == ubx::TAnswerKind::Answered && outcome.answerClass == ubx::kClassCfg)
        return SetPeriod(outcome.answerId == ubx::kIdCfgRate     ? ubx::ReadCfgRate(outcome.answer)
                         : outcome.answerId == ubx::kIdCfgValGet ? ubx::RateOfValGet(outcome.answer)
                                                                 : std::nullopt);
    if (outcome.kind != ubx::TAnswerKind::Acknowledged || command.pkClass != ubx::kClassCfg)
        return false;
    const TPayload& payload = command.PayLoad;
    if (command.ID == ubx::kIdCfgRate)
        return SetPeriod(ubx::ReadCfgRate(payload));
    if (command.ID == ubx::kIdCfgValSet)
        return SetKeys(payload);
    if (command.ID == ubx::kIdCfgMsg) {
        const std::optional<std::string> name = NameOf(payload);
        const std::optional<int> everyNth = EveryNth(payload);
        return name && everyNth && SetEveryNth(*name, *everyNth);
    }
    if (command.ID == ubx::kIdCfgCfg && Loads(payload)) {
        const bool changed = !everyNth_.empty() || solutionPeriod_ != kDefaultPeriod;
        everyNth_.clear();
        solutionPeriod_ = kDefaultPeriod;
        return changed;
    }
    return false;
}

std::map<std::string, double> TAskedRates::Hz() const {
    std::map<std::string, double> hz;
    if (solutionPeriod_.count() <= 0)
        return hz;
    for (const auto& [name, everyNth] : everyNth_)
        hz[name] = 1000.0 / (static_cast<double>(solutionPeriod_.count()) * everyNth);
    return hz;
}
