// The NTRIP client's protocol: requests, the caster's answers fed in pieces
// split anywhere (chunked streams and sourcetables among them), sourcetable
// records, distances, the GGA sent for the uplink and the correction stream's
// counts.

#include "protocol/Rtcm3Frame.h"
#include "protocol/UbxFrame.h"
#include "protocol/ntrip/CorrectionStream.h"
#include "protocol/ntrip/GgaSentence.h"
#include "protocol/ntrip/NtripRequest.h"
#include "protocol/ntrip/NtripResponse.h"
#include "protocol/ntrip/Sourcetable.h"

#include <gtest/gtest.h>

using namespace std::string_literals;
using Kind = ntrip::Response::Kind;

TEST(NtripRequest, VersionsMountpointsAndAuthorization) {
    ntrip::Caster v1{"caster.example", 2101, "user", "pw", ntrip::Version::V1};
    EXPECT_EQ(ntrip::BuildRequest(v1, "MOUNT", "1.0"),
              "GET /MOUNT HTTP/1.0\r\nUser-Agent: NTRIP ZEPOMonitor/1.0\r\n"
              "Authorization: Basic dXNlcjpwdw==\r\n\r\n");
    ntrip::Caster anonymous{"caster.example", 2101, "", "", ntrip::Version::V1};
    EXPECT_EQ(ntrip::BuildRequest(anonymous, "", "1.0"),
              "GET / HTTP/1.0\r\nUser-Agent: NTRIP ZEPOMonitor/1.0\r\n\r\n");
    ntrip::Caster v2{"::1", 2102, "a", "b:c", ntrip::Version::V2};
    EXPECT_EQ(ntrip::BuildRequest(v2, "My Mount/1", "2.5", "$GPGGA,1*00\r\n"),
              "GET /My%20Mount%2F1 HTTP/1.1\r\nHost: [::1]:2102\r\n"
              "Ntrip-Version: Ntrip/2.0\r\nUser-Agent: NTRIP ZEPOMonitor/2.5\r\n"
              "Authorization: Basic YTpiOmM=\r\nNtrip-GGA: $GPGGA,1*00\r\n"
              "Connection: close\r\n\r\n");
    for (const auto& [plain, coded] : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"\xFF\xFE", "//4="}})
        EXPECT_EQ(ntrip::Base64(plain), coded) << plain;
}

namespace {
struct Answer {
    std::string name;
    std::string bytes;
    Kind kind;
    int code;
    std::string data; // the stream's bytes
    std::string body; // the sourcetable
    bool complete;
};

const std::string kTable = "STR;TEST;Testville;RTCM 3.2;1005(10);2;GPS;ZEPO;DEU;50.10;8.60;0;0;"
                           "sim;none;B;N;9600;\r\nENDSOURCETABLE\r\n";

std::vector<Answer> Answers() {
    return {
        {"icy", "ICY 200 OK\r\n\xD3\x00\x02\x01\x02"s, Kind::Stream, 200, "\xD3\x00\x02\x01\x02"s,
         "", false},
        {"http200", "HTTP/1.1 200 OK\r\nContent-Type: gnss/data\r\n\r\n\xD3\x00"s, Kind::Stream,
         200, "\xD3\x00"s, "", false},
        {"chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n3;x=1\r\n\xD3\x00\x01"
         "\r\nA\r\n0123456789\r\n0\r\n\r\n"s,
         Kind::Stream, 200,
         "hello\xD3\x00\x01"
         "0123456789"s,
         "", false},
        {"sourcetable v1",
         "SOURCETABLE 200 OK\r\nServer: X\r\nContent-Type: text/plain\r\n\r\n" + kTable,
         Kind::Sourcetable, 200, "", kTable, true},
        {"sourcetable by length", "SOURCETABLE 200 OK\r\nContent-Length: 9\r\n\r\nSTR;A;B\r\nextra",
         Kind::Sourcetable, 200, "", "STR;A;B\r\n", true},
        {"sourcetable v2 chunked",
         "HTTP/1.1 200 OK\r\nContent-Type: gnss/sourcetable\r\nTransfer-Encoding: chunked\r\n\r\n"
         "8\r\nSTR;A;B\n\r\n0\r\n\r\n",
         Kind::Sourcetable, 200, "", "STR;A;B\n", true},
        {"sourcetable cut", "SOURCETABLE 200 OK\r\n\r\nSTR;A;B\r\n", Kind::Sourcetable, 200, "",
         "STR;A;B\r\n", false},
        {"401", "HTTP/1.0 401 Unauthorized\r\n\r\n", Kind::Refused, 401, "", "", false},
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", Kind::Refused, 404, "", "",
         false},
        {"web page", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<html>", Kind::NotNtrip,
         200, "", "", false},
        {"no caster", "SSH-2.0-OpenSSH_9.2\r\n", Kind::NotNtrip, 0, "", "", false},
        {"broken chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
         Kind::NotNtrip, 200, "", "", false},
        {"chunk too long", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nab\r\n",
         Kind::NotNtrip, 200, "a", "", false},
        {"status line only", "HTTP/1.0 401 Unauth", Kind::Waiting, 0, "", "", false},
    };
}

void Check(const Answer& answer, const std::vector<std::string_view>& pieces,
           const std::string& how) {
    ntrip::Response response;
    std::string data;
    for (const std::string_view piece : pieces)
        response.Feed(piece, data);
    EXPECT_EQ(response.kind(), answer.kind) << answer.name << how;
    EXPECT_EQ(response.StatusCode(), answer.code) << answer.name << how;
    EXPECT_EQ(data, answer.data) << answer.name << how;
    EXPECT_EQ(response.Body(), answer.body) << answer.name << how;
    EXPECT_EQ(response.Complete(), answer.complete) << answer.name << how;
    EXPECT_EQ(response.kind() == Kind::NotNtrip, !response.Error().empty()) << answer.name << how;
}
} // namespace

TEST(NtripResponse, AnswersSplitAnywhereReadAlike) {
    for (const Answer& answer : Answers()) {
        const std::string_view all = answer.bytes;
        Check(answer, {all}, " whole");
        std::vector<std::string_view> bytes;
        for (std::size_t i = 0; i < all.size(); ++i)
            bytes.push_back(all.substr(i, 1));
        Check(answer, bytes, " byte by byte");
        for (std::size_t i = 1; i < all.size(); ++i)
            for (std::size_t j = i; j < all.size(); ++j)
                Check(answer, {all.substr(0, i), all.substr(i, j - i), all.substr(j)},
                      " split at " + std::to_string(i) + "," + std::to_string(j));
    }
}

TEST(NtripResponse, AClosedConnectionEndsTheHeaders) {
    for (const std::string answer : {"HTTP/1.0 401 Unauthorized\r\n", "HTTP/1.0 401 Unauth",
                                     "HTTP/1.0 401 Unauthorized\r\nServer: X"}) {
        ntrip::Response response;
        std::string data;
        response.Feed(answer, data);
        EXPECT_EQ(response.kind(), Kind::Waiting) << answer;
        response.Close(data);
        EXPECT_EQ(response.kind(), Kind::Refused) << answer;
        EXPECT_EQ(response.StatusCode(), 401) << answer;
    }
}

TEST(Sourcetable, StreamRecordsCastersAndNetworks) {
    const ntrip::Sourcetable table = ntrip::ParseSourcetable(
        "CAS;caster.example;2101;Example;Op;0;DEU;50.1;8.6;fallback;2101;\r\n"
        "NET;ZEPO;Op;B;N;http://a;http://b;mail;\r\n"
        "STR;FRA1;Frankfurt;RTCM 3.2;1005(10),1077(1);2;GPS+GLO;ZEPO;DEU;50.10;8.60;1;1;"
        "sim;none;B;Y;9600;\"a;b\"\r\n"
        "STR;EAST;East;RTCM 3;;1;GPS;;NZL;-41.30;185.00;0;0\n"
        "STR;;no mountpoint;\r\n"
        "STR;NOPOS;X;RTCM 3;;0;GPS;;;;north;0;0\r\n"
        "ENDSOURCETABLE\r\n");
    ASSERT_EQ(table.streams.size(), 3u);
    const ntrip::StreamRecord& fra = table.streams[0];
    EXPECT_EQ(fra.mountpoint, "FRA1");
    EXPECT_EQ(fra.identifier, "Frankfurt");
    EXPECT_EQ(fra.format, "RTCM 3.2");
    EXPECT_EQ(fra.formatDetails, "1005(10),1077(1)");
    EXPECT_EQ(ntrip::CarrierText(fra.carrier), "L1+L2");
    EXPECT_EQ(fra.navSystems, "GPS+GLO");
    EXPECT_EQ(fra.country, "DEU");
    EXPECT_DOUBLE_EQ(*fra.latitudeDeg, 50.10);
    EXPECT_DOUBLE_EQ(*fra.longitudeDeg, 8.60);
    EXPECT_TRUE(fra.wantsNmea);
    EXPECT_TRUE(fra.networkSolution);
    EXPECT_TRUE(fra.fee);
    EXPECT_EQ(fra.authentication, "B");
    EXPECT_EQ(fra.misc, "a;b");
    EXPECT_DOUBLE_EQ(*table.streams[1].longitudeDeg, -175.0);
    EXPECT_FALSE(table.streams[1].wantsNmea);
    EXPECT_FALSE(table.streams[2].latitudeDeg);
    EXPECT_FALSE(table.streams[2].longitudeDeg);
    EXPECT_EQ(table.casters.size(), 1u);
    EXPECT_EQ(table.networks.size(), 1u);
}

TEST(Sourcetable, Distances) {
    EXPECT_NEAR(ntrip::DistanceKm(0, 0, 0, 1), 111.19, 0.01);
    EXPECT_NEAR(ntrip::DistanceKm(0, 0, 90, 0), 10007.5, 0.1);
    EXPECT_NEAR(ntrip::DistanceKm(0, 179.5, 0, -179.5), 111.19, 0.01);
    EXPECT_DOUBLE_EQ(ntrip::DistanceKm(10, 20, 10, 20), 0.0);
}

TEST(GgaSentence, PositionsTimesAndRounding) {
    ntrip::GgaFix munich{48.1173, 11.516666666667, 545.4, 46.9, 1, 12, 1.0};
    EXPECT_EQ(ntrip::BuildGga(munich, 12 * 3600 + 35 * 60 + 19),
              "$GPGGA,123519.00,4807.03800,N,01131.00000,E,1,12,1.0,545.400,M,46.900,M,,*6A\r\n");
    // Minutes that round up to 60 carry into the degrees; the day's last
    // hundredth rounds over to midnight.
    ntrip::GgaFix south{-33.99999999, -150.99999999, -12, std::nullopt, 4, 8, 0.8};
    EXPECT_EQ(ntrip::BuildGga(south, 86399.999),
              "$GPGGA,000000.00,3400.00000,S,15100.00000,W,4,08,0.8,-12.000,M,,M,,*64\r\n");
}

TEST(CorrectionStream, ReleasesWholeMessagesInOrderAndCounts) {
    const std::string rtcm1005 = protocol::BuildRtcm3Frame("\x3E\xD0\x00\x00\x00\x00"s);
    const std::string rtcm1077 = protocol::BuildRtcm3Frame("\x43\x50\x01\x02"s);
    const std::string sentence = "$GPGGA,1*00\r\n";
    // A base shared whole: its UBX answers are no corrections for a rover
    // (a CFG-MSG answer would set its rates); RXM-PMP is.
    const std::string cfgMsg =
        ToByteString(BuildUbxFrame(MakeUbxPacket(0x06, 0x01, {0xF0, 0x00, 1})));
    const std::string pmp = ToByteString(BuildUbxFrame(MakeUbxPacket(0x02, 0x72, {1, 2})));
    const std::string stream =
        "xy" + rtcm1005 + sentence + cfgMsg + rtcm1077 + pmp + rtcm1077 + "tail";
    const std::string written = "xy" + rtcm1005 + rtcm1077 + pmp + rtcm1077 + "tail";
    ntrip::CorrectionStream corrections;
    std::string ready;
    // A frame goes out only once its last byte has come.
    for (std::size_t i = 0; i < stream.size(); ++i) {
        corrections.Feed(stream.substr(i, 1), 0.5 + i / 4, ready);
        if (i == rtcm1005.size()) { // all of the frame but its last byte
            EXPECT_EQ(ready.find('\xD3'), std::string::npos);
        }
        if (i == rtcm1005.size() + 1) {
            EXPECT_EQ(ready, "xy" + rtcm1005);
        }
    }
    EXPECT_EQ(ready, written.substr(0, written.size() - 4));
    EXPECT_EQ(corrections.Held(), 4u);
    corrections.Flush(9.5, ready);
    EXPECT_EQ(ready, written);
    EXPECT_EQ(corrections.Bytes(), stream.size());
    EXPECT_EQ(corrections.HeldBack(), 2u);
    EXPECT_EQ(corrections.HeldBackBytes(), sentence.size() + cfgMsg.size());
    const std::map<std::string, std::uint64_t> types = {{"CFG-MSG", 1},   {"GGA", 1},
                                                        {"RTCM 1005", 1}, {"RTCM 1077", 2},
                                                        {"RXM 0x72", 1},  {"unframed", 2}};
    EXPECT_EQ(corrections.Types(), types);
    EXPECT_EQ(corrections.ChecksumErrors(), 1u); // the sentence's "*00"
    EXPECT_EQ(corrections.LastMessageAt(), 9.5);

    // 100 bytes in each second: 100 per second over the last whole seconds,
    // nothing once they are past.
    ntrip::CorrectionStream counted;
    for (int second = 0; second < 8; ++second)
        for (int i = 0; i < 10; ++i) {
            counted.Feed(std::string(10, 'a'), second + 0.05 * i, ready);
            counted.Flush(second + 0.05 * i, ready);
        }
    EXPECT_DOUBLE_EQ(counted.BytesPerSecond(7.95), 100.0);
    EXPECT_DOUBLE_EQ(counted.BytesPerSecond(20.0), 0.0);
}
