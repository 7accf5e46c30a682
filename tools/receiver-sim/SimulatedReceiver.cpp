#include "tools/receiver-sim/SimulatedReceiver.h"

#include "tools/receiver-sim/NmeaOutput.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace {
constexpr int kMaxRate = 255;
constexpr std::uint32_t kBootMillis = 4210; // time from power-up to the first epoch

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
    : settings_(settings), model_(settings.startUtc, settings.seed),
      scanner_({[this](std::string_view line) { TakeSentence(line); },
                [this](const UbxMessage& message) { TakeFrame(message); }}) {
    for (std::string_view id : kStandardMessages)
        rates_.emplace(id, 1);
}

std::vector<std::string> SimulatedReceiver::NextEpoch() {
    if (epochs_ > 0)
        model_.Advance();
    const NavigationSolution& solution = model_.Current();
    std::vector<std::string> messages;
    if (settings_.interleaveUbx)
        messages.push_back(NavPosllhFrame(solution));
    for (std::string_view id : kStandardMessages) {
        const int rate = rates_.find(id)->second;
        if (rate > 0 && epochs_ % rate == 0)
            std::ranges::move(StandardMessage(id, solution), std::back_inserter(messages));
        if (settings_.interleaveUbx && id == "GGA")
            messages.push_back(
                NavStatusFrame(solution, kBootMillis + static_cast<std::uint32_t>(epochs_) * 1000));
    }
    if (settings_.positionEachEpoch)
        messages.push_back(Pubx00Position(solution));
    ++epochs_;
    return messages;
}

std::vector<std::string> SimulatedReceiver::Banner() const {
    return BannerSentences();
}

std::vector<std::string> SimulatedReceiver::Receive(std::string_view bytes) {
    scanner_.Feed(bytes);
    return std::exchange(answers_, {});
}

int SimulatedReceiver::MessageRate(std::string_view id) const {
    const auto found = rates_.find(id);
    return found == rates_.end() ? -1 : found->second;
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
    const auto rate = rates_.find(fields[2]);
    if (rate == rates_.end())
        return;
    const bool valid = std::all_of(fields.begin() + 3, fields.begin() + 8,
                                   [](std::string_view field) { return ParseRate(field) >= 0; });
    if (valid)
        rate->second = ParseRate(fields[4]);
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
