// The headless recorder as a program: it records exactly the bytes its port
// received, stops cleanly on SIGTERM or after its duration with all of them
// on disk, and refuses wrong arguments with its usage; a port that cannot
// be opened leaves no file made or emptied. Without a display it shares the
// port's bytes with TCP clients until SIGTERM.

#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <thread>

namespace {
bool WaitForSize(const std::string& path, std::size_t size) {
    for (int round = 0; round < 500; ++round) {
        std::error_code error;
        if (std::filesystem::file_size(path, error) == size)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string Traffic() {
    std::string bytes;
    for (int index = 0; index < 3000; ++index)
        bytes += "$GPGSV,3,1,12," + std::to_string(index) + "*7C\r\n" +
                 std::string("\xB5\x62\x01\x03\x04\x00\x03\x00\x00\x00\xE4\x0C", 12);
    return bytes;
}
} // namespace

TEST(HeadlessRecorder, SigtermLeavesEveryReceivedByteOnDisk) {
    ScratchEnvironment scratch;
    PtyPeer peer;
    const std::string file = scratch.root() + "/drive.ubx";
    ChildProcess recorder(scratch, ZEPO_MONITOR,
                          {"--record", file, "--port", peer.devicePath(), "--baud", "115200"});
    ASSERT_TRUE(WaitForSize(file, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the port opens
    const std::string traffic = Traffic();
    peer.write(traffic);
    ASSERT_TRUE(WaitForSize(file, traffic.size())) << recorder.Errors();
    recorder.Signal(SIGTERM);
    EXPECT_EQ(recorder.WaitForExit(), 0) << recorder.Errors();
    EXPECT_EQ(FileContents(file), traffic);
    EXPECT_NE(recorder.Errors().find("Recorded " + std::to_string(traffic.size()) + " bytes"),
              std::string::npos)
        << recorder.Errors();
}

TEST(HeadlessRecorder, StopsAfterItsDurationAndRefusesWrongArguments) {
    ScratchEnvironment scratch;
    PtyPeer peer;
    const std::string file = scratch.root() + "/short.nmea";
    ChildProcess timed(scratch, ZEPO_MONITOR,
                       {"--record=" + file, "--port=" + peer.devicePath(), "--duration=1"});
    EXPECT_EQ(timed.WaitForExit(), 0) << timed.Errors();
    EXPECT_TRUE(std::filesystem::exists(file));

    const std::string earlier = scratch.root() + "/earlier.ubx";
    std::ofstream(earlier) << "an earlier recording";
    const std::string fresh = scratch.root() + "/fresh.ubx";
    const std::string noPort = scratch.root() + "/no-such-port";
    const std::vector<std::pair<std::vector<std::string>, int>> wrong = {
        {{"--record", earlier}, 2},
        {{"--record", earlier, "--port", peer.devicePath(), "--baud", "fast"}, 2},
        {{"--record", earlier, "--port", peer.devicePath(), "--open"}, 2},
        {{"--port", peer.devicePath(), "--serve", "gps"}, 2},
        {{"--record", earlier, "--port", noPort}, 1},
        {{"--record", fresh, "--port", noPort}, 1},
        {{"--record", scratch.root() + "/no/folder.ubx", "--port", peer.devicePath()}, 1}};
    for (const auto& [arguments, code] : wrong) {
        ChildProcess refused(scratch, ZEPO_MONITOR, arguments);
        EXPECT_EQ(refused.WaitForExit(), code) << refused.Errors();
        EXPECT_NE(refused.Errors().find("zepo-monitor: "), std::string::npos);
    }
    EXPECT_EQ(FileContents(earlier), "an earlier recording");
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST(HeadlessRecorder, SharesThePortWithClientsUntilSigterm) {
    ScratchEnvironment scratch;
    PtyPeer peer;
    const int port = UnusedPort();
    ChildProcess sharing(scratch, ZEPO_MONITOR,
                         {"--port", peer.devicePath(), "--serve", std::to_string(port)});
    std::optional<LoopbackSocket> client;
    for (int round = 0; round < 250; ++round) {
        if (client.emplace(SOCK_STREAM).Connect(port))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the port opens
    const std::string traffic = Traffic();
    peer.write(traffic);
    EXPECT_EQ(client->Read(traffic.size()), traffic) << sharing.Errors();
    sharing.Signal(SIGTERM);
    EXPECT_EQ(sharing.WaitForExit(), 0) << sharing.Errors();
    EXPECT_NE(sharing.Errors().find("Share: 127.0.0.1:"), std::string::npos) << sharing.Errors();
}
