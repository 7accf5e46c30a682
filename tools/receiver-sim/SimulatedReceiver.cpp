#include "tools/receiver-sim/SimulatedReceiver.h"

#include "tools/receiver-sim/NmeaOutput.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace {
constexpr int kMaxRate = 255;

std::vector<std::string_view> SplitFields(std::string_view body) {
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t comma = body.find(',');
        fields.push_back(body.substr(0, comma));
        if (comma == std::string_view::npos)
            return fields;
        body.remove_prefix(comma + 1);
    }
}

// A rate field: decimal digits only, 0 to 255; -1 when it is anything else.
int ParseRate(std::string_view field) {
    int rate = -1;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), rate);
    if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
        field.front() == '-' || rate > kMaxRate)
        return -1;
    return rate;
}
} // namespace

SimulatedReceiver::SimulatedReceiver(const ReceiverSettings& settings)
    : settings_(settings), model_(settings.startUtc, settings.seed, settings.multiGnss),
      scanner_({[this](std::string_view line) { TakeSentence(line); },
                [this](const UbxMessage& message) { TakeFrame(message); }}),
      dialect_(settings.multiGnss ? NmeaDialect::MultiGnss : NmeaDialect::GpsOnly) {
    for (size_t k = 0; k < kOutputMessageCount; ++k) {
        const OutputMessage& message = kOutputMessages[k];
        if (message.ubxClass == kNmeaStandardClass)
            rates_[k] = 1;
        else if (message.protocol() == OutputProtocol::Ubx)
            rates_[k] = settings.interleaveUbx ? 1 : 0;
        else if (message.name == "PUBX,00")
            rates_[k] = settings.positionEachEpoch ? 1 : 0;
    }
}

std::vector<std::string> SimulatedReceiver::NextEpoch() {
    if (epochs_ > 0)
        model_.Advance();
    const NavigationSolution& solution = model_.Current();
    std::vector<std::string> messages;
    for (size_t k = 0; k < kOutputMessageCount; ++k)
        if (rates_[k] > 0 && epochs_ % rates_[k] == 0)
            std::ranges::move(BuildOutputMessage(kOutputMessages[k], solution, dialect_),
                              std::back_inserter(messages));
    ++epochs_;
    return messages;
}

std::vector<std::string> SimulatedReceiver::Banner() const {
    return BannerSentences(dialect_);
}

std::vector<std::string> SimulatedReceiver::Receive(std::string_view bytes) {
    scanner_.Feed(bytes);
    return std::exchange(answers_, {});
}

int SimulatedReceiver::MessageRate(std::string_view name) const {
    const auto found = FindOutputMessage(name);
    return found ? rates_[*found] : -1;
}

void SimulatedReceiver::TakeSentence(std::string_view line) {
    const std::string_view body = CheckedSentenceBody(line);
    const std::vector<std::string_view> fields = SplitFields(body);
    if (fields.size() < 2 || fields[0] != "PUBX")
        return;
    const NavigationSolution& solution = model_.Current();
    if (fields.size() == 2 && fields[1] == "00")
        answers_.push_back(Pubx00Position(solution));
    else if (fields.size() == 2 && fields[1] == "03")
        answers_.push_back(Pubx03SatelliteStatus(solution));
    else if (fields.size() == 2 && fields[1] == "04")
        answers_.push_back(Pubx04TimeOfDay(solution));
    else if (fields[1] == "40")
        SetRate(fields);
}

// fields: PUBX, 40, msgId, rddc, rus1, rus2, rusb, rspi and an optional
// reserved field. Only a command whose every rate is valid takes effect.
void SimulatedReceiver::SetRate(const std::vector<std::string_view>& fields) {
    if (fields.size() != 8 && fields.size() != 9)
        return;
    const auto message = FindOutputMessage(fields[2]);
    if (!message || kOutputMessages[*message].ubxClass != kNmeaStandardClass)
        return;
    const bool valid = std::all_of(fields.begin() + 3, fields.begin() + 8,
                                   [](std::string_view field) { return ParseRate(field) >= 0; });
    if (valid)
        rates_[*message] = ParseRate(fields[4]);
}

void SimulatedReceiver::TakeFrame(const UbxMessage& message) {
    const bool cfgAnt = message.ubxClass == kUbxClassCfg && message.id == kUbxIdCfgAnt;
    if (cfgAnt && message.payload.empty()) {
        answers_.push_back(CfgAntFrame(antenna_));
    } else if (cfgAnt && message.payload.size() == 4) {
        const auto byte = [&](size_t k) {
            return static_cast<std::uint16_t>(static_cast<unsigned char>(message.payload[k]));
        };
        antenna_.flags = static_cast<std::uint16_t>(byte(0) | byte(1) << 8);
        antenna_.pins = static_cast<std::uint16_t>(byte(2) | byte(3) << 8);
    } else {
        answers_.push_back(AckFrame(false, message.ubxClass, message.id));
        return;
    }
    answers_.push_back(AckFrame(true, message.ubxClass, message.id));
}
