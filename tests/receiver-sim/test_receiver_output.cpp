// What the simulated receiver sends, checked the way a parser reads it:
// every sentence intact and in the receiver's exact field layout, the
// sentences of one epoch agreeing with each other, the position moving at a
// steady speed and the satellites changing.

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

const std::map<std::string, std::regex>& Layouts() {
    static const std::map<std::string, std::regex> layouts = {
        {"$GPRMC", std::regex("\\$GPRMC," + kTime + ",A," + kLat + "," + kLon +
                              R"(,\d+\.\d{3},\d+\.\d{2},\d{6},,,A)" + kCs)},
        {"$GPVTG", std::regex(R"(\$GPVTG,\d+\.\d{2},T,,M,\d+\.\d{3},N,\d+\.\d{3},K,A)" + kCs)},
        {"$GPGGA", std::regex("\\$GPGGA," + kTime + "," + kLat + "," + kLon +
                              R"(,1,\d{2},\d+\.\d{2},-?\d+\.\d,M,-?\d+\.\d,M,,)" + kCs)},
        {"$GPGSA",
         std::regex(R"(\$GPGSA,A,3,(\d{2})?(,(\d{2})?){11},\d+\.\d{2},\d+\.\d{2},\d+\.\d{2})" +
                    kCs)},
        {"$GPGSV",
         std::regex(R"(\$GPGSV,[1-9],[1-9],\d{2}(,\d{2},\d{2},\d{3},(\d{2})?){1,4})" + kCs)},
        {"$GPGLL", std::regex("\\$GPGLL," + kLat + "," + kLon + "," + kTime + ",A,A" + kCs)},
        {"$GPZDA", std::regex("\\$GPZDA," + kTime + R"(,\d{2},\d{2},\d{4},00,00)" + kCs)},
        {"$GPTXT", std::regex(R"(\$GPTXT,01,01,02,[ -~]+)" + kCs)},
        {"$PUBX,00",
         std::regex("\\$PUBX,00," + kTime + R"(,\d{4}\.\d{6},[NS],\d{5}\.\d{6},[EW],)" +
                    R"(-?\d+\.\d{3},G3,\d+\.\d,\d+\.\d,\d+\.\d{3},\d+\.\d{2},-?\d+\.\d{3},,)" +
                    R"(\d+\.\d{2},\d+\.\d{2},\d+\.\d{2},\d+,0,0)" + kCs)},
        {"$PUBX,03", std::regex(R"(\$PUBX,03,\d+(,\d{2},[Ue-],\d{3},\d{2},\d{2},\d{3})+)" + kCs)},
        {"$PUBX,04", std::regex("\\$PUBX,04," + kTime +
                                R"(,\d{6},\d+\.00,\d+,\d+D?,-?\d+,-?\d+\.\d{3},\d+,)" + kCs)},
    };
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

void ExpectLayout(const std::string& sentence) {
    const std::string key =
        sentence.starts_with("$PUBX") ? sentence.substr(0, 8) : sentence.substr(0, 6);
    const auto layout = Layouts().find(key);
    ASSERT_NE(layout, Layouts().end()) << sentence;
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
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.got, row.expected);
}

TEST(ReceiverOutput, EverySentenceIntactAndLaidOutAsTheReceiverSendsIt) {
    SimulatedReceiver receiver({kStart, 7, true, true});
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
        ExpectLayout(sentence);
        kinds.insert(sentence.substr(0, sentence.find(',')));
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"$GPGGA", "$GPGLL", "$GPGSA", "$GPGSV", "$GPRMC",
                                            "$GPTXT", "$GPVTG", "$GPZDA", "$PUBX"}));
    EXPECT_EQ(traffic.frames.size(), 1200u); // NAV-POSLLH and NAV-STATUS each epoch
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

TEST(ReceiverOutput, UbxNavigationFramesMatchTheNmeaPosition) {
    SimulatedReceiver receiver({kStart, 5, true, false});
    const ReceivedTraffic traffic = EpochTraffic(receiver);
    ASSERT_EQ(traffic.frames.size(), 2u);
    EXPECT_EQ(Hex(traffic.frames[0].substr(0, 6)), "B5 62 01 02 1C 00"); // NAV-POSLLH, 28 bytes
    EXPECT_EQ(Hex(traffic.frames[1].substr(0, 6)), "B5 62 01 03 10 00"); // NAV-STATUS, 16 bytes
    const std::string posllh = FramePayload(traffic.frames[0]);
    auto i32 = [&](size_t at) {
        std::int32_t v = 0;
        for (int k = 3; k >= 0; --k)
            v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v) << 8 |
                                          static_cast<unsigned char>(posllh[at + k]));
        return v;
    };
    const auto gga = Fields(traffic.SentencesStartingWith("$GPGGA").at(0));
    EXPECT_NEAR(i32(4) * 1e-7, Degrees(gga[4], gga[5], 3), 1e-6);
    EXPECT_NEAR(i32(8) * 1e-7, Degrees(gga[2], gga[3], 2), 1e-6);
    EXPECT_NEAR(i32(16) / 1000.0, std::stod(gga[9]), 0.05);
    EXPECT_EQ(i32(0), (117359 + 18) * 1000); // GPS time of week in ms
    EXPECT_EQ(FramePayload(traffic.frames[1]).substr(0, 4), posllh.substr(0, 4));
}
