// gpsd, a widely used reader of u-blox receivers, on the simulator's
// multi-GNSS UBX output: it identifies the receiver, enables the messages it
// wants without a refusal, and dates its satellite and position reports with
// the receiver's (today's) UTC date; and gpsd reading it through the
// monitor's share server. Skipped where gpsd and gpspipe are not installed.

#include "serial/VirtualPorts.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/receiver-sim/PortEnd.h"
#include "tests/support/ScratchEnvironment.h"

#include <arpa/inet.h>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A TCP port on the loopback address that nobody listens on right now.
int FreeLoopbackPort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

std::string UtcDate(std::time_t when) {
    std::tm t{};
    gmtime_r(&when, &t);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &t);
    return date;
}
struct GpsdRun {
    std::string reports; // gpspipe's JSON reports, one a line
    std::string log;     // gpsd's
};

// gpsd on source (with its own control socket in the scratch directory) and
// gpspipe's first count reports from it; gpsd is stopped after.
GpsdRun RunGpsd(const ScratchEnvironment& scratch, const std::string& source, int count) {
    const std::string port = std::to_string(FreeLoopbackPort());
    ChildProcess daemon(
        scratch, *FindProgram("gpsd"),
        {"-N", "-n", "-D", "5", "-S", port, "-F", scratch.root() + "/gpsd.sock", source});
    // gpspipe retries nothing: give gpsd its moment to listen.
    if (!WaitFor([&] { return daemon.Errors().find("listening on port") != std::string::npos; })) {
        ADD_FAILURE() << daemon.Errors();
        return {"", daemon.Errors()};
    }
    ChildProcess pipe(scratch, *FindProgram("gpspipe"),
                      {"-w", "-n", std::to_string(count), "-x", "20", "127.0.0.1:" + port});
    EXPECT_EQ(pipe.WaitForExit(std::chrono::seconds(30)), 0) << pipe.Errors();
    daemon.Signal(SIGTERM);
    EXPECT_GE(daemon.WaitForExit(), 0);
    return {pipe.Output(), daemon.Errors()};
}
} // namespace

TEST(GpsdWithSimulator, ConfiguresTheReceiverAndDatesItsReportsToday) {
    if (!FindProgram("gpsd") || !FindProgram("gpspipe"))
        GTEST_SKIP() << "gpsd and gpspipe are not installed";
    ScratchEnvironment scratch;
    const std::time_t started = std::time(nullptr);
    ChildProcess simulator(scratch, kReceiverSimulator, {"--port", "COM87", "--gnss", "--ubx"});
    ASSERT_TRUE(WaitForAnnouncement("COM87")) << simulator.Errors();
    const GpsdRun run = RunGpsd(scratch, *FindVirtualPort("COM87"), 45);
    // The simulator ends by itself once the program that held its port exits.
    EXPECT_EQ(simulator.WaitForExit(), 0) << simulator.Output();

    const std::string& log = run.log;
    EXPECT_NE(log.find("PROTVER 18"), std::string::npos) << "gpsd did not identify the receiver";
    EXPECT_EQ(log.find("UBX-ACK-NAK"), std::string::npos) << "a message gpsd enables was refused";

    // Every dated SKY and TPV report once gpsd has configured the receiver
    // (the last ten) carries the receiver's UTC date, today.
    const std::set<std::string> today = {UtcDate(started), UtcDate(std::time(nullptr))};
    const std::regex dated(R"re("class":"(SKY|TPV)".*"time":"(\d{4}-\d{2}-\d{2})T)re");
    std::vector<std::pair<std::string, std::string>> reports; // class, date
    std::istringstream lines(run.reports);
    for (std::string line; std::getline(lines, line);)
        if (std::smatch match; std::regex_search(line, match, dated))
            reports.emplace_back(match[1], match[2]);
    ASSERT_GE(reports.size(), 10u) << run.reports;
    int sky = 0, tpv = 0;
    for (auto report = reports.end() - 10; report != reports.end(); ++report) {
        EXPECT_TRUE(today.contains(report->second)) << report->first << " " << report->second;
        (report->first == "SKY" ? sky : tpv) += 1;
    }
    EXPECT_GT(sky, 0);
    EXPECT_GT(tpv, 0);
}

// gpsd reading the simulator through the monitor's share server, as it reads
// a receiver another program holds: its TPV reports carry the simulator's
// position (about 47.2853 N, 8.5653 E).
TEST(GpsdWithSimulator, ReadsTheReceiverThroughTheShareServer) {
    if (!FindProgram("gpsd") || !FindProgram("gpspipe"))
        GTEST_SKIP() << "gpsd and gpspipe are not installed";
    ScratchEnvironment scratch;
    setenv("QT_QPA_PLATFORM", "offscreen", 1); // the monitor runs without a window
    ChildProcess simulator(scratch, kReceiverSimulator, {"--port", "COM88"});
    ASSERT_TRUE(WaitForAnnouncement("COM88")) << simulator.Errors();
    const std::string share = std::to_string(FreeLoopbackPort());
    ChildProcess monitor(scratch, ZEPO_MONITOR, {"--port", "COM88", "--serve", share});
    ASSERT_TRUE(WaitFor([&] {
        return monitor.Errors().find("Share: listening on") != std::string::npos;
    })) << monitor.Errors();
    const GpsdRun run = RunGpsd(scratch, "tcp://127.0.0.1:" + share, 20);
    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.WaitForExit(), 0) << monitor.Errors();
    EXPECT_EQ(simulator.WaitForExit(), 0) << simulator.Output();

    const std::regex position(R"re("class":"TPV".*"lat":([-0-9.]+),"lon":([-0-9.]+))re");
    int near = 0;
    std::istringstream lines(run.reports);
    for (std::string line; std::getline(lines, line);)
        if (std::smatch match; std::regex_search(line, match, position))
            near += std::abs(std::stod(match[1]) - 47.2853) < 0.05 &&
                    std::abs(std::stod(match[2]) - 8.5653) < 0.05;
    EXPECT_GT(near, 0) << run.reports;
}
