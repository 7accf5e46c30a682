// The track export as a program, on recordings of the simulated receiver:
// a drive recorded by the headless recorder becomes a GPX and a KML track
// with one point per second; a recording made after a cold start (no fix
// yet), an unknown kind of track file, a missing recording and a wrong use
// are refused with a message and no track written.

#include "serial/VirtualPorts.h"
#include "tests/protocol/StreamBytes.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/receiver-sim/PortEnd.h"
#include "tests/support/FileContents.h"
#include "tests/support/ScratchEnvironment.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <thread>

using namespace std::chrono_literals;

namespace {
int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}
} // namespace

TEST(TrackExportWithSimulator, ADriveBecomesATrackAndAFixlessRecordingIsRefused) {
    ScratchEnvironment scratch;
    ChildProcess simulator(scratch, kReceiverSimulator,
                           {"--port", "COM92", "--ubx", "--baud", "115200"});
    ASSERT_TRUE(WaitForAnnouncement("COM92")) << simulator.Errors();
    const std::string drive = scratch.root() + "/drive.ubx";
    ChildProcess recorder(
        scratch, ZEPO_MONITOR,
        {"--record", drive, "--port", "COM92", "--baud", "115200", "--duration", "4"});
    ASSERT_EQ(recorder.WaitForExit(20s), 0) << recorder.Errors();

    for (const std::string name : {"drive.gpx", "drive.kml"}) {
        const std::string track = scratch.root() + "/" + name;
        ChildProcess exporter(scratch, ZEPO_MONITOR, {"--export-track", track, drive});
        ASSERT_EQ(exporter.WaitForExit(), 0) << exporter.Errors();
        std::smatch wrote;
        const std::string output = exporter.Output();
        ASSERT_TRUE(std::regex_search(output, wrote, std::regex("Wrote (\\d+) fixes to " + track)))
            << output;
        const int fixes = std::stoi(wrote[1]);
        EXPECT_GE(fixes, 3); // one a second
        EXPECT_LE(fixes, 5);
        const std::string text = FileContents(track);
        if (name.ends_with(".gpx")) {
            EXPECT_EQ(Count(text, "<trkpt lat=\"47.2"), fixes) << text;
            EXPECT_EQ(Count(text, "<fix>3d</fix>"), fixes) << text;
        } else {
            EXPECT_EQ(Count(text, ",47.2"), fixes + 2) << text; // the line, its start and end
        }
    }

    // A receiver restarted cold: seconds without a fix, recorded as a
    // capture with a comment line at its head. (The first simulator ended
    // with the recorder that held its port.)
    ChildProcess cold(scratch, kReceiverSimulator, {"--port", "COM93", "--baud", "115200"});
    ASSERT_TRUE(WaitForAnnouncement("COM93")) << cold.Errors();
    {
        PortEnd port(*FindVirtualPort("COM93"));
        port.SetBaud(115200);
        port.Write(UbxBytes(0x06, 0x04, std::string("\xFF\xFF\x02\x00", 4)));
        std::this_thread::sleep_for(1500ms);
        port.Received();
        port.Clear();
        ASSERT_TRUE(port.ReadUntil(
            [](const std::string& received) { return Count(received, "GGA,") >= 3; }));
        std::ofstream(scratch.root() + "/cold.ubx") << "# the receiver after a cold start\n"
                                                    << port.Received();
    }
    const std::string fixless = scratch.root() + "/cold.gpx";
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--export-track", fixless, scratch.root() + "/cold.ubx"}, "No fixes in"},
        {{"--export-track", scratch.root() + "/drive.txt", drive}, "must end in .gpx or .kml"},
        {{"--export-track", fixless, scratch.root() + "/none.ubx"}, "Cannot open recording"},
        {{"--export-track", fixless, scratch.root()}, "Cannot open recording"},
    };
    for (const auto& [arguments, message] : refused) {
        ChildProcess exporter(scratch, ZEPO_MONITOR, arguments);
        EXPECT_EQ(exporter.WaitForExit(), 1) << exporter.Errors();
        EXPECT_NE(exporter.Errors().find("zepo-monitor: "), std::string::npos) << message;
        EXPECT_NE(exporter.Errors().find(message), std::string::npos) << exporter.Errors();
    }
    EXPECT_FALSE(std::filesystem::exists(fixless));
    EXPECT_FALSE(std::filesystem::exists(scratch.root() + "/drive.txt"));
    ChildProcess wrongUse(scratch, ZEPO_MONITOR, {"--export-track", fixless});
    EXPECT_EQ(wrongUse.WaitForExit(), 2);
    EXPECT_NE(wrongUse.Errors().find("usage: zepo-monitor --export-track"), std::string::npos);
}
