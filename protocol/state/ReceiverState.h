#pragma once
// What the receiver says now, folded from its decoded messages one by one:
// UTC date and time, position and heights, fix, DOPs, speed and course,
// accuracies, the satellites in view per constellation, and per message type
// the count, the recent rate and the checksum errors. Read it as a snapshot.
//
// Each message updates only what it carries, so NMEA and UBX output of the
// same receiver complement each other. Satellite lists are replaced per
// constellation by each complete report (a whole GSV series, NAV-SAT,
// NAV-SVINFO, PUBX,03); GSA marks which of them are used.
// Memory is bounded: at most kMaxMessageTypes types are counted separately.

#include "protocol/decoding/Decoded.h"
#include "protocol/framing/Message.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace protocol {

struct MessageStatistics {
    std::string Name; // "GNGGA", "NAV-PVT", "PUBX,00", "unframed", "other"
    std::uint64_t Count = 0;
    std::uint64_t ChecksumErrors = 0;
    double RatePerSecond = 0; // over the last whole seconds of the rate window
};

struct ReceiverSnapshot {
    std::optional<UtcTime> Utc;
    std::optional<protocol::Position> Position;
    FixStatus Fix;
    Dops Dop;
    protocol::Motion Motion;
    Accuracies Accuracy;
    std::vector<SatelliteInView> Satellites; // by constellation, then number
    std::vector<MessageStatistics> Messages; // by name
};

class ReceiverState {
public:
    static constexpr int kRateWindowSeconds = 5;
    static constexpr std::size_t kMaxMessageTypes = 128;
    static constexpr std::size_t kMaxSatellites = 256;

    // Folds one message and its decoding in; nowSeconds is a steady clock
    // reading (any origin) that the rates are measured against.
    void Fold(const Message& message, const Decoded& decoded, double nowSeconds);
    // Decodes the message and folds it in.
    void Fold(const Message& message, double nowSeconds);

    ReceiverSnapshot Snapshot(double nowSeconds) const;

private:
    struct Counter {
        std::uint64_t Count = 0;
        std::uint64_t ChecksumErrors = 0;
        std::int64_t Second = 0; // the second the last bucket counts
        std::array<std::uint32_t, kRateWindowSeconds + 1> Buckets{};
    };
    struct GsvSeries {
        std::optional<int> SignalId; // the first signal a talker reported; others are skipped
        int Expected = 0;            // the next part's index, 0 when no series is open
        std::vector<SatelliteInView> Satellites;
    };
    void Count(const std::string& name, bool checksumWrong, double nowSeconds);
    void FoldValues(const Decoded& decoded);
    void FoldGsvPart(const SatellitePart& part);
    void ReplaceSatellites(const std::vector<Constellation>& systems,
                           const std::vector<SatelliteInView>& satellites);
    void MarkUsed(const UsedSatellites& used);
    bool IsUsed(const SatelliteInView& sv) const;

    ReceiverSnapshot now_;
    std::vector<SatelliteInView> satellites_; // in report order
    static constexpr std::size_t kConstellations =
        static_cast<std::size_t>(Constellation::Unknown) + 1;
    std::array<std::vector<int>, kConstellations> used_; // from GSA, by constellation
    std::map<std::string, GsvSeries> gsv_;               // by talker
    std::unordered_map<std::string, Counter> counters_;  // hashed: one look-up per message
};

} // namespace protocol
