// The zepo-receiver-sim program itself, run as a child process: its command
// line, its announcement and the withdrawal of it on SIGTERM or when the
// program that opened the port exits, and its line over TCP.

#include "serial/VirtualPorts.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/receiver-sim/PortEnd.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tools/receiver-sim/SimulatorOptions.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

TEST(SimulatorOptions, CommandLineIsReadOrRefusedWithAReason) {
    const SimulatorOptions defaults = ParseSimulatorOptions({});
    EXPECT_EQ(defaults.port, "COM13");
    EXPECT_EQ(defaults.baud, 9600);
    EXPECT_FALSE(defaults.ubx);
    EXPECT_DOUBLE_EQ(defaults.BytesPerSecond(), 960);
    EXPECT_EQ(defaults.generation, 8);
    EXPECT_FALSE(defaults.base);

    const SimulatorOptions base =
        ParseSimulatorOptions({"--base", "--survey-in", "5", "--survey-accuracy=0.25"});
    EXPECT_TRUE(base.base);
    EXPECT_EQ(base.surveySeconds, 5);
    EXPECT_DOUBLE_EQ(base.surveyAccuracyM, 0.25);

    const SimulatorOptions set = ParseSimulatorOptions(
        {"--port", "COM254", "--baud=115200", "--ubx", "--rate", "50000", "--generation=10",
         "--jam", "1176.0", "--antenna=open", "--rtk-fix-after", "2", "--rtk-timeout=5"});
    EXPECT_EQ(set.generation, 10);
    EXPECT_EQ(set.rtkFixAfterS, 2);
    EXPECT_EQ(set.rtkTimeoutS, 5);
    EXPECT_EQ(defaults.rtkFixAfterS, 10);
    EXPECT_EQ(defaults.rtkTimeoutS, 30);
    EXPECT_EQ(set.rf.jammerMHz, 1176.0);
    EXPECT_EQ(set.rf.antenna, AntennaFault::Open);
    EXPECT_FALSE(defaults.rf.jammerMHz);
    EXPECT_EQ(set.port, "COM254");
    EXPECT_EQ(set.baud, 115200);
    EXPECT_TRUE(set.ubx);
    EXPECT_DOUBLE_EQ(set.BytesPerSecond(), 50000);
    EXPECT_FALSE(defaults.tcp);
    EXPECT_EQ(ParseSimulatorOptions({"--tcp", "4001"}).tcp->port, "4001");
    const SimulatorOptions out = ParseSimulatorOptions({"--tcp-connect=[::1]:4002"});
    EXPECT_EQ(out.tcp->host + " " + out.tcp->port, "::1 4002");

    const std::vector<std::vector<std::string>> refused = {
        {"--port", "COM0"},
        {"--port", "COM255"},
        {"--port", "COM013"},
        {"--port", "ttyUSB0"},
        {"--port"},
        {"--baud", "0"},
        {"--baud", "96O0"},
        {"--rate", "-5"},
        {"--ubx=1"},
        {"--verbose"},
        {"--generation", "7"},
        {"--generation", "09"},
        {"--jam", "L1"},
        {"--jam", "1400"},
        {"--jam", "1660"},
        {"--antenna", "cut"},
        {"--rtk-timeout", "0"},
        {"--rtk-fix-after", "1.5"},
        {"--survey-in", "30"},
        {"--base", "--survey-in", "0"},
        {"--base", "--survey-accuracy", "0"},
        {"--base=1"},
        {"--tcp", "65536"},
        {"--tcp-connect", "4001"},
        {"--tcp-connect", "host:"},
        {"--tcp", "4001", "--tcp-connect", "h:1"},
        {"--port", "COM3", "--tcp", "4001"},
    };
    for (const auto& arguments : refused)
        EXPECT_THROW(ParseSimulatorOptions(arguments), EUsageError) << arguments[0];
}

TEST(SimulatorProgram, ServesItsPortAndWithdrawsItOnSigterm) {
    ScratchEnvironment scratch;
    ChildProcess sim(scratch, kReceiverSimulator, {"--port", "COM21", "--baud", "115200"});
    ASSERT_TRUE(WaitForAnnouncement("COM21")) << sim.Errors();
    {
        PortEnd port(*FindVirtualPort("COM21"));
        ASSERT_TRUE(port.ReadUntil(
            [](const std::string& r) { return r.find("$GPGGA") != std::string::npos; }));
        port.Write("$PUBX,00*33\r\n");
        EXPECT_TRUE(port.ReadUntil(
            [](const std::string& r) { return r.find("$PUBX,00,") != std::string::npos; }));
    }
    // Closing the port is not the end: it may be opened again.
    EXPECT_TRUE(WaitFor([&] { return sim.Output().find("COM21 closed.") != std::string::npos; }));
    ASSERT_TRUE(FindVirtualPort("COM21").has_value());
    PortEnd again(*FindVirtualPort("COM21"));
    EXPECT_TRUE(again.ReadUntil(
        [](const std::string& r) { return r.find("$GPTXT") != std::string::npos; }));

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.WaitForExit(), 0);
    EXPECT_FALSE(std::filesystem::exists(VirtualPortDirectory() + "/COM21"));
}

TEST(SimulatorProgram, EndsWhenTheProgramUsingItsPortExits) {
    ScratchEnvironment scratch;
    ChildProcess sim(scratch, kReceiverSimulator, {"--baud", "115200"});
    ASSERT_TRUE(WaitForAnnouncement("COM13")) << sim.Errors();
    const std::string device = *FindVirtualPort("COM13");
    const pid_t peer = fork();
    if (peer == 0) {
        PortEnd port(device);
        port.ReadUntil([](const std::string& r) { return r.find("$GPGGA") != std::string::npos; });
        std::this_thread::sleep_for(
            1500ms); // long enough for the simulator to see who holds the port
        _exit(0);
    }
    waitpid(peer, nullptr, 0);
    EXPECT_EQ(sim.WaitForExit(), 0) << sim.Output();
    EXPECT_FALSE(std::filesystem::exists(VirtualPortDirectory() + "/COM13"));
    EXPECT_NE(sim.Output().find("exited"), std::string::npos) << sim.Output();
}

TEST(SimulatorProgram, RefusesAPortNameAnotherProgramHolds) {
    ScratchEnvironment scratch;
    PtyPeer other;
    other.announce("COM13");
    ChildProcess sim(scratch, kReceiverSimulator, {});
    EXPECT_EQ(sim.WaitForExit(), 1);
    EXPECT_NE(sim.Errors().find("COM13 is already announced"), std::string::npos) << sim.Errors();
    EXPECT_EQ(FindVirtualPort("COM13"), other.devicePath());
}

TEST(SimulatorProgram, BadOptionShowsUsage) {
    ScratchEnvironment scratch;
    ChildProcess sim(scratch, kReceiverSimulator, {"--baud", "fast"});
    EXPECT_EQ(sim.WaitForExit(), 2);
    EXPECT_NE(sim.Errors().find("--baud needs a whole number"), std::string::npos) << sim.Errors();
    EXPECT_NE(sim.Errors().find("Usage: zepo-receiver-sim"), std::string::npos);
}

// Over TCP each connection in turn is the line: it starts with the banner
// and answers polls.
TEST(SimulatorProgram, ServesOneTcpConnectionAfterAnother) {
    ScratchEnvironment scratch;
    const int number = UnusedPort();
    ChildProcess sim(scratch, kReceiverSimulator, {"--tcp", std::to_string(number)});
    for (int round = 0; round < 2; ++round) {
        std::optional<LoopbackSocket> line;
        ASSERT_TRUE(WaitFor([&] { return line.emplace(SOCK_STREAM).Connect(number); }))
            << sim.Errors();
        line->SendAll("$PUBX,00*33\r\n");
        std::string received;
        ASSERT_TRUE(WaitFor([&] {
            received += line->Read(1);
            return received.find("$PUBX,00,") != std::string::npos;
        })) << received;
        EXPECT_TRUE(received.starts_with("$GPTXT")) << received.substr(0, 80);
    }
    EXPECT_TRUE(WaitFor([&] {
        return sim.Output().find("127.0.0.1:" + std::to_string(number) + " disconnected.") !=
               std::string::npos;
    }));
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.WaitForExit(), 0);
}
