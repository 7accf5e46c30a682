#pragma once
// A program run as a child process, its standard output and error kept in
// files of the scratch directory. It inherits the test's environment, so the
// receiver simulator announces its port in the test's own runtime directory.

#include "tests/support/ScratchEnvironment.h"

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The program on PATH or in the system directories (gpsd is installed to
// /usr/sbin); none when it is not installed.
std::optional<std::string> FindProgram(const std::string& name);

// The receiver simulator's executable.
extern const char* const kReceiverSimulator;

class ChildProcess {
public:
    ChildProcess(const ScratchEnvironment& scratch, const std::string& program,
                 const std::vector<std::string>& arguments);
    ~ChildProcess(); // kills the program if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void Signal(int signal);
    // The exit code once the program has ended (128 + the signal's number when
    // a signal ended it), or -1 if it runs on past the timeout.
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
