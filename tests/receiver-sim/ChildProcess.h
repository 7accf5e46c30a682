#pragma once
// The zepo-receiver-sim program run as a child process, its standard output
// and error kept in files of the scratch directory. It inherits the test's
// environment, so it announces its port in the test's own runtime directory.

#include "tests/support/ScratchEnvironment.h"

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

class SimulatorProcess {
public:
    SimulatorProcess(const ScratchEnvironment& scratch, const std::vector<std::string>& arguments);
    ~SimulatorProcess(); // kills the program if it still runs
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    void Signal(int signal);
    // The exit code once the program has ended, or -1 if it runs on past the timeout.
    int WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::string Output() const;
    std::string Errors() const;

private:
    std::string out_, err_;
    pid_t pid_ = -1;
    bool exited_ = false;
};

// Waits until the port is announced by a live link.
bool WaitForAnnouncement(const std::string& port);
