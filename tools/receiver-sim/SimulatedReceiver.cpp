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
      dialect_(settings.multiGnss ? NmeaDialect::MultiGnss : NmeaDialect::GpsOnly),
      defaults_(
          DefaultConfig(settings.lineBaud, settings.interleaveUbx, settings.positionEachEpoch)) {
    defaults_.measurementPeriodMs = static_cast<std::uint16_t>(settings.measurementPeriod.count());
    permanent_ = config_ = defaults_;
}

std::vector<std::string> SimulatedReceiver::NextEpoch() {
    if (epochs_ > 0)
        model_.Advance(config_.EpochPeriod());
    ++epochs_;
    std::vector<std::string> messages;
    if (!navigating_)
        return messages;
    const NavigationSolution& solution = model_.Current();
    for (size_t k = 0; k < kOutputMessageCount; ++k) {
        const int rate = config_.rates[k][kLinePort];
        if (rate > 0 && (epochs_ - 1) % rate == 0)
            for (std::string& message : BuildOutputMessage(kOutputMessages[k], solution, dialect_))
                if (Sends(message))
                    messages.push_back(std::move(message));
    }
    return messages;
}

std::vector<std::string> SimulatedReceiver::Banner() const {
    if (!Sends("$"))
        return {};
    return BannerSentences(dialect_);
}

std::vector<std::string> SimulatedReceiver::Receive(std::string_view bytes) {
    scanner_.Feed(bytes);
    return std::exchange(answers_, {});
}

int SimulatedReceiver::MessageRate(std::string_view name) const {
    const auto found = FindOutputMessage(name);
    return found ? config_.rates[*found][kLinePort] : -1;
}

void SimulatedReceiver::Answer(std::string message) {
    if (Sends(message))
        answers_.push_back(std::move(message));
}

bool SimulatedReceiver::Sends(std::string_view message) const {
    const std::uint16_t protocol = message.starts_with('$') ? kProtocolNmea : kProtocolUbx;
    return (config_.Line().outProtoMask & protocol) != 0;
}

void SimulatedReceiver::TakeSentence(std::string_view line) {
    if (!(config_.Line().inProtoMask & kProtocolNmea))
        return;
    const std::string_view body = CheckedSentenceBody(line);
    const std::vector<std::string_view> fields = SplitFields(body);
    if (fields.size() < 2 || fields[0] != "PUBX")
        return;
    const NavigationSolution& solution = model_.Current();
    if (fields.size() == 2 && fields[1] == "00")
        Answer(Pubx00Position(solution));
    else if (fields.size() == 2 && fields[1] == "03")
        Answer(Pubx03SatelliteStatus(solution));
    else if (fields.size() == 2 && fields[1] == "04")
        Answer(Pubx04TimeOfDay(solution));
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
    if (!valid)
        return;
    for (int port = 0; port < kPortCount; ++port)
        config_.rates[*message][static_cast<size_t>(port)] =
            static_cast<std::uint8_t>(ParseRate(fields[3 + static_cast<size_t>(port)]));
}
