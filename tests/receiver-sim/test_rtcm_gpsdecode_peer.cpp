// gpsd's gpsdecode, a reader of RTCM 3 independent of ours, on the simulated
// base station's output: it finds the same messages, in the same order, and
// the same station and position in 1005. Skipped where gpsdecode is missing.

#include "protocol/decoding/Decoder.h"
#include "protocol/framing/Framer.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/ScratchEnvironment.h"
#include "tools/receiver-sim/SimulatedReceiver.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

// The number after "name": in a JSON line; empty when it is not there.
std::string JsonNumber(const std::string& line, const std::string& name) {
    const std::size_t at = line.find("\"" + name + "\":");
    if (at == std::string::npos)
        return {};
    const std::size_t from = at + name.size() + 3;
    return line.substr(from, line.find_first_of(",}", from) - from);
}

struct Station {
    std::string id, x, y, z;
};

} // namespace

TEST(RtcmPeer, GpsdecodeReadsTheBaseStationLikeOurDecoder) {
    const std::optional<std::string> gpsdecode = FindProgram("gpsdecode");
    if (!gpsdecode)
        GTEST_SKIP() << "gpsdecode (Debian package gpsd-clients) is not installed";
    ReceiverSettings settings;
    settings.startUtc = 1'733'650'000;
    settings.multiGnss = true;
    settings.base = true;
    settings.survey = {std::chrono::seconds(1), 2.0};
    SimulatedReceiver receiver(settings);
    std::string stream;
    for (int epoch = 0; epoch < 5; ++epoch)
        for (const std::string& message : receiver.NextEpoch())
            stream += message;

    std::vector<std::string> ours;
    Station ourStation;
    protocol::Framer framer;
    for (const protocol::Message& m : framer.Feed(stream)) {
        if (m.Kind != protocol::MessageKind::Rtcm3)
            continue;
        const protocol::Decoded d = protocol::Decode(m);
        ours.push_back(d.Name.substr(5)); // "RTCM 1005"
        if (d.Station) {
            char x[32], y[32], z[32];
            std::snprintf(x, sizeof x, "%.4f", d.Station->EcefXM);
            std::snprintf(y, sizeof y, "%.4f", d.Station->EcefYM);
            std::snprintf(z, sizeof z, "%.4f", d.Station->EcefZM);
            ourStation = {std::to_string(d.Station->StationId), x, y, z};
        }
    }
    ASSERT_EQ(ours.size(), 18u); // three epochs of six messages after the survey

    ScratchEnvironment scratch;
    const std::string input = scratch.root() + "/base.rtcm";
    std::ofstream(input, std::ios::binary) << stream;
    FILE* pipe = popen((*gpsdecode + " < " + input).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0);

    std::vector<std::string> theirs;
    Station theirStation;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("\"class\":\"RTCM3\"") == std::string::npos)
            continue;
        theirs.push_back(JsonNumber(line, "type"));
        if (theirs.back() == "1005")
            theirStation = {JsonNumber(line, "station_id"), JsonNumber(line, "x"),
                            JsonNumber(line, "y"), JsonNumber(line, "z")};
        else if (theirs.back() == "1230")
            EXPECT_EQ(JsonNumber(line, "station_id"), ourStation.id);
    }
    EXPECT_EQ(theirs, ours);
    EXPECT_EQ(theirStation.id, ourStation.id);
    EXPECT_EQ(theirStation.x, ourStation.x);
    EXPECT_EQ(theirStation.y, ourStation.y);
    EXPECT_EQ(theirStation.z, ourStation.z);
}
