#include "tools/receiver-sim/SimulatedReceiver.h"

#include "protocol/Rtcm3Frame.h"
#include "protocol/decoding/Decoder.h"
#include "tools/receiver-sim/ConfigFrames.h"
#include "tools/receiver-sim/NmeaOutput.h"
#include "tools/receiver-sim/RtcmOutput.h"
#include "tools/receiver-sim/UbxEcefOutput.h"
#include "tools/receiver-sim/UbxRfOutput.h"
#include "tools/receiver-sim/UbxRtkOutput.h"
#include "tools/receiver-sim/UbxSignalOutput.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace {
constexpr int kMaxRate = 255;
constexpr size_t kCfgRstLength = 4;

// The start CFG-RST's navBbrMask asks for: 0x0000 hot, 0x0001 warm, more cold.
StartKind StartOf(std::uint32_t navBbrMask) {
    if (navBbrMask == 0)
        return StartKind::Hot;
    return navBbrMask == 0x0001 ? StartKind::Warm : StartKind::Cold;
}

enum ResetMode : std::uint8_t {
    kHardwareReset = 0,
    kSoftwareReset = 1,
    kGnssReset = 2,
    kHardwareResetAfterShutdown = 4,
    kGnssStop = 8,
    kGnssStart = 9,
};

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
// The factory settings with the measurement period asked for.
ReceiverConfig Defaults(const ReceiverSettings& settings) {
    ReceiverConfig defaults =
        DefaultConfig(settings.lineBaud, settings.interleaveUbx, settings.positionEachEpoch);
    defaults.measurementPeriodMs = static_cast<std::uint16_t>(settings.measurementPeriod.count());
    if (settings.generation >= 9)
        defaults.rates[*FindOutputMessage("ZDA")][kLinePort] = 0;
    if (settings.base) {
        defaults.timeMode = kTimeModeSurveyIn;
        defaults.surveyMinDurationS =
            static_cast<std::uint32_t>(settings.survey.minDuration.count());
        defaults.surveyAccuracyLimit =
            static_cast<std::uint32_t>(std::lround(settings.survey.accuracyLimitM * 1e4));
        defaults.ports[kLinePort].outProtoMask |= kProtocolRtcm3;
        for (size_t k = 0; k < kOutputMessageCount; ++k)
            if (kOutputMessages[k].protocol() == OutputProtocol::Rtcm3 ||
                kOutputMessages[k].name == "NAV-SVIN")
                defaults.rates[k][kLinePort] = 1;
    }
    return defaults;
}

// The reference station of an RTCM 3 frame: the 12 bits after its message
// type, in every message the rover takes.
int StationOf(std::string_view frame) {
    if (frame.size() < protocol::kRtcm3Header + 3)
        return 0;
    return (static_cast<unsigned char>(frame[4]) & 0x0F) << 8 |
           static_cast<unsigned char>(frame[5]);
}

// The survey-in the configuration asks for; none when it asks for none.
std::optional<SurveyInSettings> SurveyOf(const ReceiverConfig& config) {
    if (config.timeMode != kTimeModeSurveyIn)
        return std::nullopt;
    return SurveyInSettings{std::chrono::seconds(config.surveyMinDurationS),
                            config.surveyAccuracyLimit * 1e-4};
}

// A jammer in the L1 block lowers every satellite's signal.
int L1CnoLoss(const ReceiverSettings& settings) {
    return Jammed(settings.rf, RfBlocksOf(settings.generation).front()) ? kJammedCnoLossDb : 0;
}
} // namespace

SimulatedReceiver::SimulatedReceiver(const ReceiverSettings& settings)
    : settings_(settings), model_(settings.startUtc, settings.seed, settings.multiGnss,
                                  settings.rtk, L1CnoLoss(settings), settings.base),
      scanner_({[this](std::string_view line) { TakeSentence(line); },
                [this](const UbxMessage& message) { TakeFrame(message); },
                [this](std::string_view frame, bool intact) { TakeRtcm(frame, intact); }}),
      dialect_(settings.multiGnss ? NmeaDialect::MultiGnss : NmeaDialect::GpsOnly),
      configuration_(Defaults(settings), settings.generation), rover_(settings.rover) {}

std::vector<std::string> SimulatedReceiver::NextEpoch() {
    if (epochs_ > 0) {
        nowMs_ += EpochPeriod().count();
        model_.Advance(EpochPeriod());
        const RoverState rover = rover_.StateAt(nowMs_, EcefPosition(model_.Current()));
        model_.Correct(rover.carrier, rover.ageS, rover.station, rover.baseline);
    }
    ++epochs_;
    std::vector<std::string> messages;
    if (!navigating_)
        return messages;
    if (const auto wanted = SurveyOf(configuration_.InForce()); wanted != surveying_) {
        surveying_ = wanted;
        survey_.Restart(wanted.value_or(SurveyInSettings{}));
    }
    if (surveying_)
        survey_.Observe(model_.Current());
    for (size_t k = 0; k < kOutputMessageCount; ++k) {
        if (Due(k))
            for (std::string& message : Build(k))
                if (Sends(message)) {
                    activity_.Sent(message.size());
                    messages.push_back(std::move(message));
                }
    }
    return messages;
}

std::vector<std::string> SimulatedReceiver::Build(size_t message) {
    const std::string_view name = kOutputMessages[message].name;
    if (name == "MON-COMMS")
        return {activity_.MonCommsFrame(Demand())};
    if (name == "MON-SYS")
        return {activity_.MonSysFrame(Demand(), model_.Current().millisSinceStart / 1000,
                                      MessagesEnabled(), settings_.rf)};
    return BuildFromState(message);
}

std::vector<std::string> SimulatedReceiver::BuildFromState(size_t message) const {
    const OutputMessage& output = kOutputMessages[message];
    const NavigationSolution& solution = model_.Current();
    const int generation = settings_.generation;
    const RfConditions& rf = settings_.rf;
    if (output.name == "MON-SPAN")
        return {MonSpanFrame(rf, generation)};
    if (output.name == "MON-RF")
        return {MonRfFrame(rf, generation)};
    if (output.name == "MON-HW")
        return {MonHwFrame(rf)};
    if (output.name == "NAV-SIG")
        return {NavSigFrame(solution, rf, generation)};
    if (output.name == "NAV-RELPOSNED")
        return {NavRelposnedFrame(solution, generation)};
    if (output.name == "RXM-RTCM")
        return {};
    if (output.name == "NAV-SVIN")
        return {NavSvinFrame(survey_, solution)};
    if (output.protocol() == OutputProtocol::Rtcm3)
        return BuildRtcm3(message);
    return BuildOutputMessage(output, solution, dialect_);
}

// Nothing before the survey has found the station's position (nor when no
// survey runs: the survey starts afresh when it is turned off).
std::vector<std::string> SimulatedReceiver::BuildRtcm3(size_t message) const {
    const std::string_view name = kOutputMessages[message].name;
    if (!survey_.Valid())
        return {};
    if (name == "RTCM 1005")
        return {Rtcm1005Frame(kBaseStationId, survey_.Mean())};
    if (name == "RTCM 1230")
        return {Rtcm1230Frame(kBaseStationId)};
    const std::optional<std::string> msm =
        RtcmMsm4Frame(*Msm4System(name), model_.Current(), kBaseStationId, MoreMsmFollow(message));
    if (!msm)
        return {};
    return {*msm};
}

bool SimulatedReceiver::Due(size_t message) const {
    const int rate = configuration_.InForce().rates[message][kLinePort];
    return rate > 0 && (epochs_ - 1) % rate == 0 && Offers(message);
}

bool SimulatedReceiver::MoreMsmFollow(size_t message) const {
    for (size_t k = message + 1; k < kOutputMessageCount; ++k) {
        const std::optional<Gnss> system = Msm4System(kOutputMessages[k].name);
        if (system && Due(k) && RtcmMsm4Frame(*system, model_.Current(), kBaseStationId, false))
            return true;
    }
    return false;
}

// Each message enabled, sent every rate-th epoch, as built now; MON-COMMS and
// MON-SYS, which report this load, by their fixed sizes.
LineDemand SimulatedReceiver::Demand() const {
    const ReceiverConfig& config = configuration_.InForce();
    LineDemand demand;
    demand.baud = config.Line().baudRate;
    demand.epochSeconds = std::chrono::duration<double>(config.EpochPeriod()).count();
    const bool ubxOut = (config.Line().outProtoMask & kProtocolUbx) != 0;
    double bytesPerEpoch = 0;
    for (size_t k = 0; k < kOutputMessageCount; ++k) {
        const int rate = config.rates[k][kLinePort];
        if (rate == 0 || !Offers(k))
            continue;
        const std::string_view name = kOutputMessages[k].name;
        size_t bytes = 0;
        if (name == "MON-COMMS" || name == "MON-SYS")
            bytes = !ubxOut ? 0 : name == "MON-COMMS" ? kMonCommsFrameBytes : kMonSysFrameBytes;
        else
            for (const std::string& sent : BuildFromState(k))
                bytes += Sends(sent) ? sent.size() : 0;
        bytesPerEpoch += static_cast<double>(bytes) / rate;
    }
    demand.bytesPerSecond = bytesPerEpoch / demand.epochSeconds;
    return demand;
}

int SimulatedReceiver::MessagesEnabled() const {
    int enabled = 0;
    for (size_t k = 0; k < kOutputMessageCount; ++k)
        if (configuration_.InForce().rates[k][kLinePort] > 0 && Offers(k))
            ++enabled;
    return enabled;
}

std::vector<std::string> SimulatedReceiver::Banner() const {
    if (!Sends("$"))
        return {};
    return BannerSentences(IdentityOf(settings_.generation), dialect_);
}

std::vector<std::string> SimulatedReceiver::Receive(std::string_view bytes) {
    activity_.Received(bytes.size());
    scanner_.Feed(bytes);
    return std::exchange(answers_, {});
}

int SimulatedReceiver::MessageRate(std::string_view name) const {
    const auto found = FindOutputMessage(name);
    return found && Offers(*found) ? configuration_.InForce().rates[*found][kLinePort] : -1;
}

void SimulatedReceiver::Answer(std::string message) {
    if (!Sends(message))
        return;
    activity_.Sent(message.size());
    answers_.push_back(std::move(message));
}

bool SimulatedReceiver::Sends(std::string_view message) const {
    const std::uint16_t protocol = message.starts_with('$')      ? kProtocolNmea
                                   : message.starts_with('\xD3') ? kProtocolRtcm3
                                                                 : kProtocolUbx;
    return (configuration_.InForce().Line().outProtoMask & protocol) != 0;
}

void SimulatedReceiver::TakeSentence(std::string_view line) {
    if (!(configuration_.InForce().Line().inProtoMask & kProtocolNmea))
        return;
    const std::string_view body = CheckedSentenceBody(line);
    if (!body.empty())
        activity_.TookNmea();
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
        configuration_.InForce().rates[*message][static_cast<size_t>(port)] =
            static_cast<std::uint8_t>(ParseRate(fields[3 + static_cast<size_t>(port)]));
}

// UBX commands: the CFG messages go to the configuration, CFG-RST restarts
// the receiver, MON-VER and the navigation messages are polled. Like a
// receiver, it leaves any other message unanswered: only CFG messages are
// acknowledged.
void SimulatedReceiver::TakeFrame(const UbxMessage& message) {
    if (!(configuration_.InForce().Line().inProtoMask & kProtocolUbx))
        return;
    activity_.TookUbx();
    const std::string& payload = message.payload;
    if (message.ubxClass == kUbxClassCfg && message.id == kUbxIdCfgRst)
        return TakeReset(payload);
    if (message.ubxClass == kUbxClassCfg) {
        for (std::string& answer : configuration_.Take(message.id, payload))
            Answer(std::move(answer));
        return;
    }
    if (payload.empty() && message.ubxClass == kUbxClassMon && message.id == kUbxIdMonVer)
        return Answer(MonVerFrame(IdentityOf(settings_.generation)));
    const auto output = FindOutputMessage(message.ubxClass, message.id);
    if (payload.empty() && output && kOutputMessages[*output].protocol() == OutputProtocol::Ubx &&
        Offers(*output)) {
        for (std::string& frame : Build(*output))
            Answer(std::move(frame));
    }
}

// Corrections reach the rover; each message taken in is reported in
// RXM-RTCM where that is turned on.
void SimulatedReceiver::TakeRtcm(std::string_view frame, bool intact) {
    RtcmTaken taken;
    taken.messageType = protocol::Rtcm3MessageType(frame).value_or(0);
    taken.crcFailed = !intact;
    if (intact) {
        const protocol::Decoded decoded =
            protocol::DecodeRtcm3(frame, protocol::DecodeDetail::TypedOnly);
        std::optional<EcefVector> base;
        if (decoded.Station)
            base = EcefVector{decoded.Station->EcefXM, decoded.Station->EcefYM,
                              decoded.Station->EcefZM};
        taken.station = StationOf(frame);
        taken.used = RoverCorrections::Uses(taken.messageType);
        rover_.Take(taken.messageType, taken.station, base, nowMs_);
    }
    if (MessageRate("RXM-RTCM") > 0)
        Answer(RxmRtcmFrame(taken));
}

// A receiver does not acknowledge a reset. A hardware or software reset
// puts the permanent configuration in force and prints the banner again;
// a GNSS reset only restarts navigation; GNSS stop and start pause it.
void SimulatedReceiver::TakeReset(const std::string& payload) {
    if (payload.size() != kCfgRstLength)
        return Answer(AckFrame(false, kUbxClassCfg, kUbxIdCfgRst));
    const StartKind start = StartOf(Unsigned(payload, 0, 2));
    switch (static_cast<unsigned char>(payload[2])) {
    case kHardwareReset:
    case kSoftwareReset:
    case kHardwareResetAfterShutdown:
        configuration_.LoadPermanent();
        navigating_ = true;
        model_.Restart(start);
        surveying_.reset();
        for (std::string& sentence : Banner())
            answers_.push_back(std::move(sentence));
        break;
    case kGnssReset:
    case kGnssStart:
        navigating_ = true;
        model_.Restart(start);
        surveying_.reset();
        break;
    case kGnssStop:
        navigating_ = false;
        break;
    }
}
