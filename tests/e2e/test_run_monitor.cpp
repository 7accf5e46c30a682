// tools/run-monitor: the simulator in the background and the monitor in
// front, the simulator stopped and its port withdrawn when the monitor ends;
// the monitor alone with --no-sim or a named port. The monitor is told to
// open the simulator's port, or the named one, at once.

#include "serial/VirtualPorts.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/receiver-sim/PortEnd.h"
#include "tests/support/ScratchEnvironment.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string StatField(pid_t pid, int field) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos)
        return {};
    std::istringstream rest(line.substr(close + 2)); // state is field 3, ppid field 4
    std::string value;
    for (int k = 3; k <= field && rest >> value;)
        ++k;
    return value;
}

// The file name of the program the process runs.
std::string Command(pid_t pid) {
    std::error_code error;
    return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).filename().string();
}

// The arguments the process was started with, after the program name.
std::vector<std::string> Arguments(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline");
    std::vector<std::string> arguments;
    for (std::string argument; std::getline(file, argument, '\0');)
        arguments.push_back(argument);
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    return arguments;
}

// A running child of parent whose command is name.
std::optional<pid_t> ChildNamed(pid_t parent, const std::string& name) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string file = entry.path().filename().string();
        if (file.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = std::stoi(file);
        if (StatField(pid, 4) == std::to_string(parent) && Command(pid) == name &&
            StatField(pid, 3) != "Z")
            return pid;
    }
    return std::nullopt;
}

class RunMonitor : public testing::Test {
protected:
    void SetUp() override { setenv("ZEPO_BUILD_DIR", ZEPO_BUILD_DIR, 1); }
    ScratchEnvironment scratch_;
};
} // namespace

TEST_F(RunMonitor, SimulatorRunsWhileTheMonitorRunsAndGoesWithIt) {
    ChildProcess script(scratch_, ZEPO_RUN_MONITOR, {"--sim", "--baud", "115200"});
    ASSERT_TRUE(WaitForAnnouncement("COM13")) << script.Errors();
    std::optional<pid_t> monitor;
    ASSERT_TRUE(
        WaitFor([&] { return (monitor = ChildNamed(script.pid(), "zepo-monitor")).has_value(); }));
    EXPECT_EQ(Arguments(*monitor),
              (std::vector<std::string>{"--port", "COM13", "--baud", "115200", "--open"}));
    const std::optional<pid_t> simulator = ChildNamed(script.pid(), "zepo-receiver-sim");
    ASSERT_TRUE(simulator.has_value());
    EXPECT_NE(script.Output().find("Receiver simulator on COM13"), std::string::npos);

    kill(*monitor, SIGTERM); // the monitor ends, as when its window closes
    EXPECT_EQ(script.WaitForExit(), 128 + SIGTERM);
    EXPECT_FALSE(ChildNamed(script.pid(), "zepo-receiver-sim").has_value());
    EXPECT_FALSE(fs::exists(fs::symlink_status(VirtualPortDirectory() + "/COM13")));
}

TEST_F(RunMonitor, NoSimulatorWhenAskedOrForANamedPort) {
    const std::pair<std::string, std::vector<std::string>> runs[] = {
        {"--no-sim", {}}, {"ttyUSB0", {"--port", "ttyUSB0", "--open"}}};
    for (const auto& [argument, monitorArguments] : runs) {
        ChildProcess script(scratch_, ZEPO_RUN_MONITOR, {argument});
        // The script hands its process over to the monitor.
        ASSERT_TRUE(WaitFor([&] { return Command(script.pid()) == "zepo-monitor"; })) << argument;
        EXPECT_EQ(Arguments(script.pid()), monitorArguments) << argument;
        EXPECT_FALSE(ChildNamed(script.pid(), "zepo-receiver-sim").has_value());
        EXPECT_TRUE(ListVirtualPorts().empty());
        script.Signal(SIGTERM);
        EXPECT_EQ(script.WaitForExit(), 128 + SIGTERM);
    }
}

TEST_F(RunMonitor, MissingBuildIsExplained) {
    setenv("ZEPO_BUILD_DIR", (scratch_.root() + "/no-build").c_str(), 1);
    ChildProcess script(scratch_, ZEPO_RUN_MONITOR, {});
    EXPECT_EQ(script.WaitForExit(), 1);
    EXPECT_NE(script.Errors().find("is missing; build first"), std::string::npos)
        << script.Errors();
}
