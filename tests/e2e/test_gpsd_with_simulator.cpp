// gpsd, a widely used reader of u-blox receivers, on the simulator's
// multi-GNSS UBX output: it identifies the receiver, enables the messages it
// wants without a refusal, and dates its satellite and position reports with
// the receiver's (today's) UTC date. Skipped where gpsd and gpspipe are not
// installed.

#include "serial/VirtualPorts.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/receiver-sim/PortEnd.h"
#include "tests/support/ScratchEnvironment.h"

#include <arpa/inet.h>
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
} // namespace

TEST(GpsdWithSimulator, ConfiguresTheReceiverAndDatesItsReportsToday) {
    const auto gpsd = FindProgram("gpsd");
    const auto gpspipe = FindProgram("gpspipe");
    if (!gpsd || !gpspipe)
        GTEST_SKIP() << "gpsd and gpspipe are not installed";
    ScratchEnvironment scratch;
    const std::time_t started = std::time(nullptr);
    ChildProcess simulator(scratch, kReceiverSimulator, {"--port", "COM87", "--gnss", "--ubx"});
    ASSERT_TRUE(WaitForAnnouncement("COM87")) << simulator.Errors();
    const std::string port = std::to_string(FreeLoopbackPort());
    ChildProcess daemon(scratch, *gpsd,
                        {"-N", "-n", "-D", "5", "-S", port, *FindVirtualPort("COM87")});
    // gpspipe retries nothing: give gpsd its moment to listen.
    ASSERT_TRUE(WaitFor([&] {
        return daemon.Errors().find("listening on port") != std::string::npos;
    })) << daemon.Errors();
    ChildProcess pipe(scratch, *gpspipe, {"-w", "-n", "45", "-x", "20", "127.0.0.1:" + port});
    EXPECT_EQ(pipe.WaitForExit(std::chrono::seconds(30)), 0) << pipe.Errors();
    daemon.Signal(SIGTERM);
    EXPECT_GE(daemon.WaitForExit(), 0);
    // The simulator ends by itself once the program that held its port exits.
    EXPECT_EQ(simulator.WaitForExit(), 0) << simulator.Output();

    const std::string log = daemon.Errors();
    EXPECT_NE(log.find("PROTVER 18"), std::string::npos) << "gpsd did not identify the receiver";
    EXPECT_EQ(log.find("UBX-ACK-NAK"), std::string::npos) << "a message gpsd enables was refused";

    // Every dated SKY and TPV report once gpsd has configured the receiver
    // (the last ten) carries the receiver's UTC date, today.
    const std::set<std::string> today = {UtcDate(started), UtcDate(std::time(nullptr))};
    const std::regex dated(R"re("class":"(SKY|TPV)".*"time":"(\d{4}-\d{2}-\d{2})T)re");
    std::vector<std::pair<std::string, std::string>> reports; // class, date
    std::istringstream lines(pipe.Output());
    for (std::string line; std::getline(lines, line);)
        if (std::smatch match; std::regex_search(line, match, dated))
            reports.emplace_back(match[1], match[2]);
    ASSERT_GE(reports.size(), 10u) << pipe.Output();
    int sky = 0, tpv = 0;
    for (auto report = reports.end() - 10; report != reports.end(); ++report) {
        EXPECT_TRUE(today.contains(report->second)) << report->first << " " << report->second;
        (report->first == "SKY" ? sky : tpv) += 1;
    }
    EXPECT_GT(sky, 0);
    EXPECT_GT(tpv, 0);
}
