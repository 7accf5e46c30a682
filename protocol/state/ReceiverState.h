#pragma once
// What the receiver says now, folded from its decoded messages one by one:
// UTC date and time, position and heights, fix, DOPs, speed and course,
// accuracies, the satellites in view per constellation, and per message type
// the count, the recent rate and the checksum errors. Read it as a snapshot.
//
// Each message updates only what it carries, so NMEA and UBX output of the
// same receiver complement each other; the fix is the best each epoch tells
// (EpochFix.h). Satellite lists are replaced per constellation by each
// complete report (a whole GSV series, NAV-SAT, NAV-SVINFO, PUBX,03) and go
// stale, then away, when reports stop; the latest run of GSA sentences marks
// which of them are used, and a lost fix leaves none used. The receiver's
// health (spectra, RF blocks, port traffic, its load, signals) is the latest
// each message reported, and so is the reference station an RTCM 3 stream
// names (1005, 1006): a base position, never the receiver's own.
// Each navigation epoch that ends hands out its values as its last message
// left them: an epoch ends when a message of the next one comes (EpochFix.h),
// or at EndEpoch when the stream ends. An epoch counts once, by its time.
// Memory is bounded: at most kMaxMessageTypes types are counted separately.

#include "protocol/decoding/Decoded.h"
#include "protocol/framing/Message.h"
#include "protocol/state/EpochFix.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace protocol {

struct MessageStatistics {
    std::string Name; // "GNGGA", "NAV-PVT", "PUBX,00", "RTCM 1005", "unframed", "other"
    std::uint64_t Count = 0;
    std::uint64_t ChecksumErrors = 0;
    double RatePerSecond = 0; // over the last whole seconds of the rate window
};

// A satellite as last reported, and whether its report is old: stale after
// kStaleSeconds without a refresh; after kGoneSeconds it leaves the snapshot.
struct TrackedSatellite : SatelliteInView {
    static constexpr double kStaleSeconds = 3;
    static constexpr double kGoneSeconds = 10;
    bool Stale = false;
};

// The latest health report of each kind; RF blocks from MON-RF, or from
// MON-HW while no MON-RF came for TrackedSatellite::kGoneSeconds (a receiver
// sending both reports its blocks in MON-RF, its L1 front end alone in MON-HW).
struct ReceiverHealth {
    std::optional<std::vector<RfSpectrum>> Spectra;
    std::optional<std::vector<RfBlockStatus>> RfBlocks;
    std::uint64_t RfBlockReports = 0; // how many were taken into RfBlocks
    std::optional<CommsReport> Comms;
    std::optional<SystemLoad> System;
    std::optional<std::vector<SignalInView>> Signals;
};

// What the receiver does with corrections: the RTCM messages it reported
// taking in (RXM-RTCM) and the station they came from, how long ago the
// last correction came (from RXM-RTCM, or the age GGA or NAV-PVT tell), the
// rover's baseline while NAV-RELPOSNED reports it valid, and a base
// station's latest survey-in report (NAV-SVIN).
struct CorrectionState {
    // A baseline not reported for this long leaves the snapshot.
    static constexpr double kBaselineSeconds = 3;
    std::uint64_t Used = 0, NotUsed = 0, CrcFailed = 0, Taken = 0; // Taken: every RXM-RTCM
    std::optional<int> ReferenceStation;
    std::optional<double> AgeS;
    std::optional<protocol::Baseline> Baseline;
    std::optional<SurveyIn> Survey;
};

// The values of one navigation epoch, and of the receiver now.
struct EpochValues {
    std::optional<UtcTime> Utc;
    std::optional<protocol::Position> Position;
    FixStatus Fix;
    Dops Dop;
    protocol::Motion Motion;
    Accuracies Accuracy;
};

struct ReceiverSnapshot : EpochValues {
    std::vector<TrackedSatellite> Satellites; // by constellation, then number
    // A satellite report came within TrackedSatellite::kGoneSeconds, even
    // one with none in view: the count of Satellites is the receiver's word.
    bool SatellitesReported = false;
    std::vector<MessageStatistics> Messages; // by name
    ReceiverHealth Health;
    CorrectionState Corrections;
    std::optional<BaseStation> Base; // the reference station of the RTCM 3 received last
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
    // The satellites of the snapshot alone, by constellation and number.
    std::vector<TrackedSatellite> Satellites(double nowSeconds) const;

    // The epochs that ended since the state began, and the last of them.
    std::uint64_t EpochsEnded() const { return epochsEnded_; }
    const EpochValues& EndedEpoch() const { return ended_; }
    // The stream ended: the open epoch ends with what it told.
    void EndEpoch();

private:
    struct Counter {
        std::uint64_t Count = 0;
        std::uint64_t ChecksumErrors = 0;
        std::int64_t Second = 0; // the second the last bucket counts
        std::array<std::uint32_t, kRateWindowSeconds + 1> Buckets{};
    };
    static constexpr std::size_t kNoType = static_cast<std::size_t>(-1);
    // A message type and its counts. Receivers send their types in the same
    // order every epoch: the type that followed this one last time is tried
    // first, before any look-up by name.
    struct MessageType {
        std::string Name;
        Counter Counts;
        std::size_t Next = kNoType;
    };
    struct GsvSeries {
        std::optional<int> SignalId; // the first signal a talker reported; others are skipped
        int Expected = 0;            // the next part's index, 0 when no series is open
        std::vector<SatelliteInView> Satellites;
    };
    // The numbers GSA listed as used, of one constellation: the usual ones
    // as bits, any others (unknown numbering) in a bounded list.
    struct UsedNumbers {
        static constexpr int kUsual = 512;
        std::bitset<kUsual> Usual;
        std::vector<int> Others;
        bool Has(int number) const;
        void Add(int number);
        void Clear();
    };
    struct HeldSatellite {
        SatelliteInView Sv;
        double ReportedAt = 0; // the steady time of its last report
    };
    static constexpr std::size_t kConstellations =
        static_cast<std::size_t>(Constellation::Unknown) + 1;

    std::size_t TypeOf(const Message& message, const Decoded& decoded);
    static void Count(Counter& c, bool checksumWrong, double nowSeconds);
    void FoldValues(const Decoded& decoded, std::size_t type, double nowSeconds);
    void FoldHealth(const Decoded& decoded, double nowSeconds);
    void FoldCorrections(const Decoded& decoded, double nowSeconds);
    void NoteCorrectionAt(double seconds);
    void FoldGsvPart(const SatellitePart& part, double nowSeconds);
    void ReplaceSatellites(Coverage systems, const std::vector<SatelliteInView>& satellites,
                           double nowSeconds);
    void MarkUsed(const UsedSatellites& used);
    void ClearUsed();
    bool IsUsed(const SatelliteInView& sv) const;

    ReceiverSnapshot now_;
    EpochFix epoch_;
    std::uint64_t epochsEnded_ = 0;
    EpochValues ended_;
    std::optional<double> endedTime_;               // the time of day of the epoch that ended last
    std::vector<HeldSatellite> satellites_;         // in report order
    std::optional<double> reportedAt_;              // the last satellite report
    std::optional<double> monRfAt_;                 // the last MON-RF
    std::array<UsedNumbers, kConstellations> used_; // from GSA, by constellation
    bool inGsaRun_ = false; // the last message was a GSA: the next one adds to its set
    std::map<std::string, GsvSeries> gsv_;                   // by talker
    std::vector<MessageType> types_;                         // in order of arrival
    std::unordered_map<std::string, std::size_t> typeIndex_; // into types_, by name
    std::size_t lastType_ = kNoType;                         // of the message folded last
    std::string name_; // the counted name of a message looked up; its room serves the next
    std::optional<double> correctionAt_; // the steady time of the latest correction
    double baselineAt_ = 0;              // the steady time of the baseline held
};

} // namespace protocol
