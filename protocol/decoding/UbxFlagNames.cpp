#include "protocol/decoding/UbxFlagNames.h"

#include <span>

namespace protocol {
namespace {

// Bits Shift .. Shift + Width - 1 of a flag field. A single bit shows its
// name when set; a group shows "name meaning", where an empty meaning leaves
// the group out and a value beyond the meanings shows as a number.
struct BitGroup {
    int Shift;
    std::string_view Name;
    int Width = 1;
    std::span<const std::string_view> Meanings = {};
};

struct FlagField {
    std::uint8_t Class, Id;
    std::string_view Field;
    std::span<const BitGroup> Groups;
};

constexpr std::uint8_t kNav = 0x01, kRxm = 0x02, kMon = 0x0A;

constexpr std::string_view kCarrSoln[] = {"", "float", "fixed"};
constexpr std::string_view kPvtPsmState[] = {
    "", "enabled", "acquisition", "tracking", "power optimized tracking", "inactive"};
constexpr std::string_view kStatusPsmState[] = {"", "tracking", "power optimized tracking",
                                                "inactive"};
constexpr std::string_view kSpoofDetState[] = {"", "no spoofing indicated", "spoofing indicated",
                                               "multiple spoofing indications"};
constexpr std::string_view kMapMatching[] = {"", "valid but not used", "valid and used",
                                             "used for dead reckoning"};
// qualityInd of NAV-SAT and NAV-SVINFO.
constexpr std::string_view kSatQuality[] = {"0 no signal",
                                            "1 searching signal",
                                            "2 signal acquired",
                                            "3 signal detected but unusable",
                                            "4 code locked and time synchronized",
                                            "5 code and carrier locked",
                                            "6 code and carrier locked",
                                            "7 code and carrier locked"};
constexpr std::string_view kHealth[] = {"unknown", "healthy", "unhealthy"};
constexpr std::string_view kOrbitSource[] = {
    "none",  "ephemeris", "almanac", "AssistNow Offline", "AssistNow Autonomous",
    "other", "other",     "other"};

constexpr BitGroup kPvtValid[] = {
    {0, "validDate"}, {1, "validTime"}, {2, "fullyResolved"}, {3, "validMag"}};
constexpr BitGroup kPvtFlags[] = {
    {0, "gnssFixOK"},
    {1, "diffSoln"},
    {2, "psmState", 3, kPvtPsmState},
    {5, "headVehValid"},
    {6, "carrSoln", 2, kCarrSoln},
};
constexpr BitGroup kPvtFlags2[] = {
    {5, "confirmedAvai"}, {6, "confirmedDate"}, {7, "confirmedTime"}};

constexpr std::string_view kCorrectionAge[] = {
    "",           "under 1 s",   "1 to 2 s",     "2 to 5 s",   "5 to 10 s",
    "10 to 15 s", "15 to 20 s",  "20 to 30 s",   "30 to 45 s", "45 to 60 s",
    "60 to 90 s", "90 to 120 s", "120 s or more"};
constexpr BitGroup kPvtFlags3[] = {{0, "invalidLlh"}, {1, "lastCorrectionAge", 4, kCorrectionAge}};

constexpr BitGroup kRelposnedFlags[] = {
    {0, "gnssFixOK"},        {1, "diffSoln"},   {2, "relPosValid"}, {3, "carrSoln", 2, kCarrSoln},
    {5, "isMoving"},         {6, "refPosMiss"}, {7, "refObsMiss"},  {8, "relPosHeadingValid"},
    {9, "relPosNormalized"},
};
constexpr std::string_view kMsgUsed[] = {"", "not used", "used"};
constexpr BitGroup kRxmRtcmFlags[] = {{0, "crcFailed"}, {1, "msgUsed", 2, kMsgUsed}};

constexpr BitGroup kStatusFlags[] = {
    {0, "gpsFixOk"}, {1, "diffSoln"}, {2, "wknSet"}, {3, "towSet"}};
constexpr BitGroup kStatusFixStat[] = {
    {0, "diffCorr"},
    {1, "carrSolnValid"},
    {6, "mapMatching", 2, kMapMatching},
};
constexpr BitGroup kStatusFlags2[] = {
    {0, "psmState", 2, kStatusPsmState},
    {3, "spoofDetState", 2, kSpoofDetState},
    {6, "carrSoln", 2, kCarrSoln},
};

constexpr BitGroup kSolFlags[] = {{0, "GPSfixOK"}, {1, "DiffSoln"}, {2, "WKNSET"}, {3, "TOWSET"}};
constexpr BitGroup kTimegpsValid[] = {{0, "towValid"}, {1, "weekValid"}, {2, "leapSValid"}};
constexpr BitGroup kTimeutcValid[] = {{0, "validTOW"}, {1, "validWKN"}, {2, "validUTC"}};

constexpr BitGroup kSatFlags[] = {
    {0, "qualityInd", 3, kSatQuality},
    {3, "svUsed"},
    {4, "health", 2, kHealth},
    {6, "diffCorr"},
    {7, "smoothed"},
    {8, "orbitSource", 3, kOrbitSource},
    {11, "ephAvail"},
    {12, "almAvail"},
    {13, "anoAvail"},
    {14, "aopAvail"},
    {16, "sbasCorrUsed"},
    {17, "rtcmCorrUsed"},
    {18, "slasCorrUsed"},
    {19, "spartnCorrUsed"},
    {20, "prCorrUsed"},
    {21, "crCorrUsed"},
    {22, "doCorrUsed"},
    {23, "clasCorrUsed"},
};

constexpr BitGroup kSvinfoFlags[] = {
    {0, "svUsed"},    {1, "diffCorr"}, {2, "orbitAvail"}, {3, "orbitEph"},
    {4, "unhealthy"}, {5, "orbitAlm"}, {6, "orbitAop"},   {7, "smoothed"},
};
constexpr BitGroup kSvinfoQuality[] = {
    {0, "qualityInd", 4, kSatQuality},
};

constexpr std::string_view kJammingState[] = {"unknown", "ok", "warning", "critical"};
constexpr BitGroup kRfFlags[] = {{0, "jammingState", 2, kJammingState}};
constexpr BitGroup kHwFlags[] = {
    {0, "rtcCalib"}, {1, "safeBoot"}, {2, "jammingState", 2, kJammingState}, {4, "xtalAbsent"}};
constexpr BitGroup kCommsTxErrors[] = {{0, "mem"}, {1, "alloc"}};
constexpr BitGroup kSigFlags[] = {
    {0, "health", 2, kHealth}, {2, "prSmoothed"}, {3, "prUsed"},     {4, "crUsed"}, {5, "doUsed"},
    {6, "prCorrUsed"},         {7, "crCorrUsed"}, {8, "doCorrUsed"},
};

constexpr FlagField kFields[] = {
    {kNav, 0x07, "valid", kPvtValid},         {kNav, 0x07, "flags", kPvtFlags},
    {kNav, 0x07, "flags2", kPvtFlags2},       {kNav, 0x07, "flags3", kPvtFlags3},
    {kNav, 0x3C, "flags", kRelposnedFlags},   {kRxm, 0x32, "flags", kRxmRtcmFlags},
    {kNav, 0x03, "flags", kStatusFlags},      {kNav, 0x03, "fixStat", kStatusFixStat},
    {kNav, 0x03, "flags2", kStatusFlags2},    {kNav, 0x06, "flags", kSolFlags},
    {kNav, 0x20, "valid", kTimegpsValid},     {kNav, 0x21, "valid", kTimeutcValid},
    {kNav, 0x35, "flags", kSatFlags},         {kNav, 0x30, "flags", kSvinfoFlags},
    {kNav, 0x30, "quality", kSvinfoQuality},  {kNav, 0x43, "sigFlags", kSigFlags},
    {kMon, 0x38, "flags", kRfFlags},          {kMon, 0x09, "flags", kHwFlags},
    {kMon, 0x36, "txErrors", kCommsTxErrors},
};

std::string GroupText(const BitGroup& group, std::uint64_t value) {
    const std::uint64_t bits = (value >> group.Shift) & ((std::uint64_t{1} << group.Width) - 1);
    if (group.Width == 1)
        return bits ? std::string(group.Name) : std::string();
    if (bits >= group.Meanings.size())
        return std::string(group.Name) + " " + std::to_string(bits);
    const std::string_view meaning = group.Meanings[bits];
    return meaning.empty() ? std::string() : std::string(group.Name) + " " + std::string(meaning);
}

} // namespace

std::string FlagNames(std::uint8_t ubxClass, std::uint8_t id, std::string_view field,
                      std::uint64_t value) {
    for (const FlagField& flags : kFields) {
        if (flags.Class != ubxClass || flags.Id != id || flags.Field != field)
            continue;
        std::string names;
        for (const BitGroup& group : flags.Groups)
            if (const std::string text = GroupText(group, value); !text.empty())
                names += (names.empty() ? "" : ", ") + text;
        return names;
    }
    return {};
}

} // namespace protocol
