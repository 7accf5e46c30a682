// What the simulated receiver sends, checked the way a parser reads it:
// every sentence intact and in the receiver's exact field layout, the
// sentences of one epoch agreeing with each other, the position moving at a
// steady speed and the satellites changing.

#include "protocol/UbxFrame.h"
#include "tests/receiver-sim/ReceivedTraffic.h"
#include "tools/receiver-sim/NmeaFields.h"
#include "tools/receiver-sim/NmeaOutput.h"
#include "tools/receiver-sim/SimulatedReceiver.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <numbers>
#include <regex>
#include <set>

namespace {
constexpr std::time_t kStart = 1039422959; // 2002-12-09 08:35:59 UTC

const std::string kLat = R"(\d{4}\.\d{5},[NS])";
const std::string kLon = R"(\d{5}\.\d{5},[EW])";
const std::string kTime = R"(\d{6}\.00)";
const std::string kCs = R"(\*[0-9A-F]{2})";

// The layout of each kind of sentence, keyed by its first six characters
// ("$PUBX,nn" for PUBX); a multi-GNSS receiver adds NMEA 4.11's system and
// signal ids and RMC's navigational status.
std::map<std::string, std::regex> Layouts(bool multiGnss) {
    const std::string gn = multiGnss ? "GN" : "GP";
    const std::string systemId = multiGnss ? ",[1-5]" : "";
    const std::string signalId = multiGnss ? ",[17]" : "";
    std::map<std::string, std::regex> layouts = {
        {"$" + gn + "RMC",
         std::regex("\\$" + gn + "RMC," + kTime + ",A," + kLat + "," + kLon +
                    R"(,\d+\.\d{3},\d+\.\d{2},\d{6},,,A)" + (multiGnss ? ",V" : "") + kCs)},
        {"$" + gn + "VTG",
         std::regex("\\$" + gn + R"(VTG,\d+\.\d{2},T,,M,\d+\.\d{3},N,\d+\.\d{3},K,A)" + kCs)},
        {"$" + gn + "GGA",
         std::regex("\\$" + gn + "GGA," + kTime + "," + kLat + "," + kLon +
                    R"(,1,(0\d|1[0-2]),\d+\.\d{2},-?\d+\.\d,M,-?\d+\.\d,M,,)" + kCs)},
        {"$" + gn + "GSA",
         std::regex("\\$" + gn + R"(GSA,A,3,(\d{2})?(,(\d{2})?){11},\d+\.\d{2},\d+\.\d{2},)" +
                    R"(\d+\.\d{2})" + systemId + kCs)},
        {"$" + gn + "GLL",
         std::regex("\\$" + gn + "GLL," + kLat + "," + kLon + "," + kTime + ",A,A" + kCs)},
        {"$" + gn + "ZDA",
         std::regex("\\$" + gn + "ZDA," + kTime + R"(,\d{2},\d{2},\d{4},00,00)" + kCs)},
        {"$" + gn + "TXT", std::regex("\\$" + gn + R"(TXT,01,01,02,[ -~]+)" + kCs)},
        {"$PUBX,00",
         std::regex("\\$PUBX,00," + kTime + R"(,\d{4}\.\d{6},[NS],\d{5}\.\d{6},[EW],)" +
                    R"(-?\d+\.\d{3},G3,\d+\.\d,\d+\.\d,\d+\.\d{3},\d+\.\d{2},-?\d+\.\d{3},,)" +
                    R"(\d+\.\d{2},\d+\.\d{2},\d+\.\d{2},\d+,0,0)" + kCs)},
        {"$PUBX,03", std::regex(R"(\$PUBX,03,\d+(,\d{2,3},[Ue-],\d{3},\d{2},\d{2},\d{3})+)" + kCs)},
        {"$PUBX,04", std::regex("\\$PUBX,04," + kTime +
                                R"(,\d{6},\d+\.00,\d+,\d+D?,-?\d+,-?\d+\.\d{3},\d+,)" + kCs)},
    };
    for (const char* talker :
         multiGnss ? std::vector{"GP", "GL", "GA", "GB", "GQ"} : std::vector{"GP"})
        layouts.emplace(std::string("$") + talker + "GSV",
                        std::regex(std::string("\\$") + talker +
                                   R"(GSV,[1-9],[1-9],\d{2}(,\d{2},\d{2},\d{3},(\d{2})?){1,4})" +
                                   signalId + kCs));
    return layouts;
}

std::vector<std::string> Fields(const std::string& sentence) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : sentence.substr(0, sentence.find('*'))) {
        if (c == ',') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

double Degrees(const std::string& value, const std::string& hemisphere, int degreeDigits) {
    const double degrees =
        std::stod(value.substr(0, degreeDigits)) + std::stod(value.substr(degreeDigits)) / 60;
    return hemisphere == "S" || hemisphere == "W" ? -degrees : degrees;
}

ReceivedTraffic EpochTraffic(SimulatedReceiver& receiver) {
    std::string bytes;
    for (const std::string& message : receiver.NextEpoch())
        bytes += message;
    return SplitTraffic(bytes);
}

void ExpectLayout(const std::map<std::string, std::regex>& layouts, const std::string& sentence) {
    const std::string key =
        sentence.starts_with("$PUBX") ? sentence.substr(0, 8) : sentence.substr(0, 6);
    const auto layout = layouts.find(key);
    ASSERT_NE(layout, layouts.end()) << sentence;
    EXPECT_TRUE(std::regex_match(sentence, layout->second)) << sentence;
}
} // namespace

TEST(ReceiverFields, CoordinatesTimesAndNumbersInReceiverForm) {
    struct Row {
        std::string got, expected;
    };
    const Row rows[] = {
        {LatitudeFields(47.285233, 5), "4717.11398,N"},
        {LatitudeFields(-0.5, 5), "0030.00000,S"},
        {LatitudeFields(10.99999999999, 5), "1100.00000,N"}, // minutes round up into the degree
        {LongitudeFields(8.565265, 5), "00833.91590,E"},
        {LongitudeFields(-122.5, 6), "12230.000000,W"},
        {Fixed(-0.0001, 2), "0.00"},
        {Fixed(-2660.664, 3), "-2660.664"},
        {Padded(7, 3), "007"},
        {TimeField(kStart), "083559.00"},
        {DateField(kStart), "091202"},
        {NmeaSentence("GPTXT,01,01,02,u-blox ag - www.u-blox.com"),
         "$GPTXT,01,01,02,u-blox ag - www.u-blox.com*50\r\n"},
        // SBAS in NMEA: 33-64 up to PRN 151, then the PRN (65 and up are GLONASS).
        {std::to_string(NmeaSatelliteNumber({.system = Gnss::Sbas, .prn = 151})), "64"},
        {std::to_string(NmeaSatelliteNumber({.system = Gnss::Sbas, .prn = 152})), "152"},
        {std::to_string(NmeaSatelliteNumber({.system = Gnss::Glonass, .prn = 1})), "65"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.got, row.expected);
}

TEST(ReceiverOutput, EverySentenceIntactAndLaidOutAsTheReceiverSendsIt) {
    for (const bool multiGnss : {false, true}) {
        SCOPED_TRACE(multiGnss ? "multi-GNSS" : "GPS alone");
        SimulatedReceiver receiver({kStart, 7, true, true, multiGnss});
        const auto layouts = Layouts(multiGnss);
        std::string bytes;
        for (const std::string& s : receiver.Banner())
            bytes += s;
        for (int epoch = 0; epoch < 600; ++epoch) {
            for (const std::string& message : receiver.NextEpoch())
                bytes += message;
            if (epoch % 100 == 0)
                for (const std::string& answer :
                     receiver.Receive("$PUBX,00*33\r\n$PUBX,03*30\r\n$PUBX,04*37\r\n"))
                    bytes += answer;
        }
        const ReceivedTraffic traffic = SplitTraffic(bytes);
        EXPECT_TRUE(traffic.faults.empty()) << traffic.faults.front();
        EXPECT_TRUE(traffic.unfinished.empty());
        std::set<std::string> kinds;
        for (const std::string& sentence : traffic.sentences) {
            ExpectLayout(layouts, sentence);
            kinds.insert(sentence.substr(0, sentence.find(',')).substr(0, 6));
        }
        std::set<std::string> expected = {"$PUBX"};
        for (const auto& [key, layout] : layouts)
            expected.insert(key.substr(0, key.find(',')));
        EXPECT_EQ(kinds, expected);
        // NAV-POSLLH, NAV-PVT, NAV-STATUS, NAV-DOP and NAV-SAT each epoch
        EXPECT_EQ(traffic.frames.size(), 3000u);
    }
}

TEST(ReceiverOutput, SentencesOfOneEpochAgree) {
    SimulatedReceiver receiver({kStart, 3, false, false});
    for (int epoch = 0; epoch < 50; ++epoch) {
        const ReceivedTraffic traffic = EpochTraffic(receiver);
        const auto gga = Fields(traffic.SentencesStartingWith("$GPGGA").at(0));
        const auto gsa = Fields(traffic.SentencesStartingWith("$GPGSA").at(0));
        const auto rmc = Fields(traffic.SentencesStartingWith("$GPRMC").at(0));
        const auto zda = Fields(traffic.SentencesStartingWith("$GPZDA").at(0));
        const auto gsv = traffic.SentencesStartingWith("$GPGSV");

        const long used =
            std::count_if(gsa.begin() + 3, gsa.begin() + 15, [](auto& f) { return !f.empty(); });
        EXPECT_EQ(std::stoi(gga[7]), used);
        EXPECT_EQ(gga[8], gsa[16]); // HDOP
        EXPECT_EQ(gga[1], rmc[1]);
        EXPECT_EQ(rmc[9], zda[2] + zda[3] + zda[4].substr(2));

        ASSERT_EQ(gsv.size(), 3u); // a dozen satellites, four to a sentence
        size_t satellites = 0;
        for (size_t k = 0; k < gsv.size(); ++k) {
            const auto fields = Fields(gsv[k]);
            EXPECT_EQ(fields[1], "3");
            EXPECT_EQ(fields[2], std::to_string(k + 1));
            EXPECT_EQ(fields[3], "12");
            satellites += (fields.size() - 4) / 4;
        }
        EXPECT_EQ(satellites, 12u);
    }
}

TEST(ReceiverOutput, PositionMovesSteadilyTimeTicksAndSatellitesChange) {
    SimulatedReceiver receiver({kStart, 11, false, false});
    double lastLat = 0, lastLon = 0;
    std::string lastTime, firstSky, lastSky;
    int signalChanges = 0;
    for (int epoch = 0; epoch < 4000; ++epoch) {
        const ReceivedTraffic traffic = EpochTraffic(receiver);
        const auto gga = Fields(traffic.SentencesStartingWith("$GPGGA").at(0));
        const double lat = Degrees(gga[2], gga[3], 2);
        const double lon = Degrees(gga[4], gga[5], 3);
        if (epoch > 0) {
            const double north = (lat - lastLat) * 111320;
            const double east = (lon - lastLon) * 111320 * std::cos(lat * std::numbers::pi / 180);
            const double step = std::hypot(north, east);
            ASSERT_GT(step, 7.0) << gga[1];
            ASSERT_LT(step, 9.0) << gga[1];
        }
        std::string sky;
        for (const std::string& s : traffic.SentencesStartingWith("$GPGSV"))
            sky += s.substr(13, s.size() - 16); // ",prn,el,az,cno" groups
        if (epoch == 0)
            firstSky = sky;
        signalChanges += sky != lastSky;
        lastLat = lat, lastLon = lon, lastSky = sky, lastTime = gga[1];
    }
    EXPECT_EQ(lastTime, TimeField(kStart + 3999));
    EXPECT_GT(signalChanges, 3000);
    // Every satellite in view at the start has set and been replaced by now.
    auto prns = [](const std::string& sky) {
        std::set<std::string> set;
        const auto f = Fields(sky);
        for (size_t k = 1; k + 3 < f.size(); k += 4)
            set.insert(f[k]);
        return set;
    };
    std::set<std::string> common;
    std::ranges::set_intersection(prns(firstSky), prns(lastSky),
                                  std::inserter(common, common.end()));
    EXPECT_LT(common.size(), 12u);
}

TEST(ReceiverOutput, PubxTimeAnswerCarriesWeekAndTimeOfWeek) {
    SimulatedReceiver receiver({kStart, 1, false, false});
    const auto answer = receiver.Receive("$PUBX,04*37\r\n");
    ASSERT_EQ(answer.size(), 1u);
    const auto fields = Fields(answer[0]);
    EXPECT_EQ(fields[2], "083559.00");
    EXPECT_EQ(fields[3], "091202");
    EXPECT_EQ(fields[4], "117359.00"); // Monday 08:35:59 of GPS week 1196
    EXPECT_EQ(fields[5], "1196");
}

namespace {
// A little-endian integer of a UBX payload.
std::int64_t Field(const std::string& payload, size_t at, int bytes, bool isSigned = true) {
    std::uint64_t value = 0;
    for (int k = bytes - 1; k >= 0; --k)
        value = value << 8 | static_cast<unsigned char>(payload.at(at + k));
    if (isSigned && (value >> (8 * bytes - 1)) != 0)
        return static_cast<std::int64_t>(value) - (std::int64_t{1} << (8 * bytes));
    return static_cast<std::int64_t>(value);
}

// Each satellite of the epoch as "talker number" -> "elevation azimuth C/N0 used",
// from GSV and GSA, and from NAV-SAT.
using Sky = std::map<std::string, std::string>;

Sky SkyFromNmea(const ReceivedTraffic& traffic) {
    const std::map<std::string, std::string> talkerOfSystem = {
        {"1", "GP"}, {"2", "GL"}, {"3", "GA"}, {"4", "GB"}, {"5", "GQ"}};
    std::set<std::string> used;
    for (const std::string& gsa : traffic.sentences) {
        if (gsa.substr(3, 3) != "GSA")
            continue;
        const auto f = Fields(gsa);
        const std::string talker = f.size() > 18 ? talkerOfSystem.at(f[18]) : "GP";
        for (size_t k = 3; k < 15; ++k)
            if (!f[k].empty())
                used.insert(talker + " " + std::to_string(std::stoi(f[k])));
    }
    Sky sky;
    for (const std::string& gsv : traffic.sentences) {
        if (gsv.substr(3, 3) != "GSV")
            continue;
        const auto f = Fields(gsv);
        for (size_t k = 4; k + 3 < f.size(); k += 4) {
            const std::string key = gsv.substr(1, 2) + " " + std::to_string(std::stoi(f[k]));
            sky[key] = std::to_string(std::stoi(f[k + 1])) + " " +
                       std::to_string(std::stoi(f[k + 2])) + " " + f[k + 3] + " " +
                       (used.contains(key) ? "U" : "-");
        }
    }
    return sky;
}

Sky SkyFromNavSat(const std::string& sat) {
    Sky sky;
    for (size_t at = 8; at + 12 <= sat.size(); at += 12) {
        const int svId = static_cast<int>(Field(sat, at + 1, 1, false));
        const auto [talker, number] = [&]() -> std::pair<std::string, int> {
            switch (Field(sat, at, 1, false)) {
            case 0:
                return {"GP", svId};
            case 1:
                return {"GP", svId - 87};
            case 2:
                return {"GA", svId};
            case 3:
                return {"GB", svId};
            case 5:
                return {"GQ", svId};
            case 6:
                return {"GL", svId + 64};
            default:
                return {"??", svId};
            }
        }();
        const std::int64_t cno = Field(sat, at + 2, 1, false);
        sky[talker + " " + std::to_string(number)] =
            std::to_string(Field(sat, at + 3, 1)) + " " + std::to_string(Field(sat, at + 4, 2)) +
            " " + (cno > 0 ? Padded(static_cast<int>(cno), 2) : "") + " " +
            ((Field(sat, at + 8, 4, false) & 0x08) ? "U" : "-");
    }
    return sky;
}
} // namespace

TEST(ReceiverOutput, NmeaAndUbxOfOneEpochDescribeTheSameFix) {
    for (const bool multiGnss : {false, true}) {
        SCOPED_TRACE(multiGnss ? "multi-GNSS" : "GPS alone");
        SimulatedReceiver receiver({kStart, 5, true, false, multiGnss});
        int mostUsed = 0;
        for (int epoch = 0; epoch < 300; ++epoch) {
            const ReceivedTraffic traffic = EpochTraffic(receiver);
            if (epoch % 15 != 0)
                continue;
            std::map<std::string, std::string> payloads; // "01 07" -> payload
            for (const std::string& frame : traffic.frames)
                payloads[Hex(frame.substr(2, 2))] = FramePayload(frame);
            ASSERT_EQ(payloads.size(), 5u);
            const std::string& pvt = payloads["01 07"];
            ASSERT_EQ(pvt.size(), 92u);
            const std::string gn = multiGnss ? "$GN" : "$GP";
            const auto gga = Fields(traffic.SentencesStartingWith(gn + "GGA").at(0));
            const auto rmc = Fields(traffic.SentencesStartingWith(gn + "RMC").at(0));

            // GPS time of week, 18 leap seconds ahead of UTC, in every frame.
            const std::int64_t tow = (117359 + 18 + epoch) * 1000LL;
            for (const auto& [id, payload] : payloads)
                EXPECT_EQ(Field(payload, 0, 4, false), tow) << id;
            char utc[32];
            std::snprintf(utc, sizeof utc, "%02d%02d%02d.00 %02d%02d%02d", int(Field(pvt, 8, 1)),
                          int(Field(pvt, 9, 1)), int(Field(pvt, 10, 1)), int(Field(pvt, 7, 1)),
                          int(Field(pvt, 6, 1)), int(Field(pvt, 4, 2) % 100));
            EXPECT_EQ(utc, gga[1] + " " + rmc[9]);

            EXPECT_EQ(Field(pvt, 20, 1), 3); // 3D fix
            EXPECT_NEAR(Field(pvt, 24, 4) * 1e-7, Degrees(gga[4], gga[5], 3), 1e-6);
            EXPECT_NEAR(Field(pvt, 28, 4) * 1e-7, Degrees(gga[2], gga[3], 2), 1e-6);
            EXPECT_NEAR(Field(pvt, 36, 4) / 1000.0, std::stod(gga[9]), 0.05);
            EXPECT_EQ(payloads["01 02"].substr(4, 8), pvt.substr(24, 8)); // NAV-POSLLH lon, lat
            EXPECT_NEAR(Field(pvt, 60, 4) / 1000.0 * 3600 / 1852, std::stod(rmc[7]), 0.002);

            const Sky sky = SkyFromNmea(traffic);
            EXPECT_EQ(SkyFromNavSat(payloads["01 35"]), sky);
            const auto used = std::ranges::count_if(
                sky, [](const auto& entry) { return entry.second.ends_with("U"); });
            EXPECT_EQ(Field(pvt, 23, 1), used);
            EXPECT_EQ(std::stoi(gga[7]), std::min<long>(used, 12)); // GGA stops at 12
            mostUsed = std::max(mostUsed, static_cast<int>(used));

            const auto gsa = Fields(traffic.SentencesStartingWith(gn + "GSA").at(0));
            const std::string& dop = payloads["01 04"];
            EXPECT_NEAR(Field(dop, 6, 2) / 100.0, std::stod(gsa[15]), 0.011);  // PDOP
            EXPECT_NEAR(Field(dop, 12, 2) / 100.0, std::stod(gsa[16]), 0.011); // HDOP
            EXPECT_NEAR(Field(dop, 10, 2) / 100.0, std::stod(gsa[17]), 0.011); // VDOP
            EXPECT_EQ(Field(payloads["01 03"], 4, 1), 3);                      // NAV-STATUS 3D
        }
        if (multiGnss) {
            EXPECT_GT(mostUsed, 12);
        }
    }
}

// The time and earth-fixed messages a program turns on with CFG-MSG agree
// with NAV-PVT and PUBX 04: one GPS week and time, the same UTC date and
// time, the position and speed turned into earth-fixed axes, the satellites
// of NAV-SAT; NAV-EOE closes the epoch.
TEST(ReceiverOutput, TimeAndEarthFixedMessagesAgreeWithTheSolution) {
    SimulatedReceiver receiver({kStart, 5, true, false, true});
    std::string enable;
    for (std::uint8_t id : {0x01, 0x06, 0x11, 0x20, 0x21, 0x22, 0x26, 0x30, 0x61})
        enable += ToByteString(BuildUbxFrame(MakeUbxPacket(0x06, 0x01, {0x01, id, 1})));
    receiver.Receive(enable);
    receiver.NextEpoch();
    const ReceivedTraffic traffic = EpochTraffic(receiver);
    ASSERT_EQ(Hex(traffic.frames.back().substr(2, 2)), "01 61");
    std::map<std::string, std::string> p; // "01 07" -> payload
    for (const std::string& frame : traffic.frames)
        p[Hex(frame.substr(2, 2))] = FramePayload(frame);
    ASSERT_EQ(p.size(), 14u);
    for (const auto& [id, payload] : p)
        EXPECT_EQ(Field(payload, 0, 4, false), (117359 + 18 + 1) * 1000LL) << id;

    const std::string& timegps = p["01 20"];
    EXPECT_EQ(Field(timegps, 8, 2), 1196); // week
    EXPECT_EQ(Field(timegps, 10, 1), 18);  // leap seconds
    EXPECT_EQ(Field(timegps, 11, 1), 0x07);
    EXPECT_EQ(Field(p["01 06"], 8, 2), 1196);                     // NAV-SOL week
    EXPECT_EQ(p["01 21"].substr(12, 7), p["01 07"].substr(4, 7)); // UTC date and time
    EXPECT_EQ(Field(p["01 26"], 9, 1), 18);

    const std::string pubx = receiver.Receive("$PUBX,04*37\r\n").at(0);
    EXPECT_EQ(Field(p["01 22"], 4, 4), std::stol(Fields(pubx)[7])); // clock bias, ns

    // Earth-fixed position back to latitude and longitude (spherical latitude
    // corrected for the ellipsoid's flattening) and speed.
    const double x = Field(p["01 01"], 4, 4) / 100.0, y = Field(p["01 01"], 8, 4) / 100.0,
                 z = Field(p["01 01"], 12, 4) / 100.0;
    const double e2 = 0.00669437999014;
    const double latitude = std::atan2(z, std::hypot(x, y) * (1 - e2)) * 180 / std::numbers::pi;
    EXPECT_NEAR(std::atan2(y, x) * 180 / std::numbers::pi, Field(p["01 07"], 24, 4) * 1e-7, 1e-6);
    EXPECT_NEAR(latitude, Field(p["01 07"], 28, 4) * 1e-7, 1e-4);
    EXPECT_EQ(p["01 06"].substr(12, 12), p["01 01"].substr(4, 12));
    const double speed =
        std::hypot(Field(p["01 11"], 4, 4), Field(p["01 11"], 8, 4), Field(p["01 11"], 12, 4)) /
        100.0;
    EXPECT_NEAR(speed, std::hypot(Field(p["01 07"], 60, 4), Field(p["01 07"], 56, 4)) / 1000.0,
                0.02);

    // NAV-SVINFO: the satellites of NAV-SAT, used or not, numbered in one range.
    const std::string& sat = p["01 35"];
    const std::string& svinfo = p["01 30"];
    ASSERT_EQ(Field(svinfo, 4, 1), Field(sat, 5, 1));
    for (size_t k = 0; k < static_cast<size_t>(Field(sat, 5, 1)); ++k) {
        const std::int64_t system = Field(sat, 8 + 12 * k, 1, false),
                           number = Field(sat, 9 + 12 * k, 1, false);
        const std::map<std::int64_t, std::int64_t> offsets = {
            {0, 0}, {1, 0}, {2, 210}, {5, 192}, {6, 64}};
        const std::int64_t expected =
            system == 3 ? (number <= 5 ? 158 + number : 27 + number) : number + offsets.at(system);
        EXPECT_EQ(Field(svinfo, 9 + 12 * k, 1, false), expected) << system << " " << number;
        EXPECT_EQ(Field(svinfo, 10 + 12 * k, 1) & 1, (Field(sat, 16 + 12 * k, 4) >> 3) & 1);
    }
}
