#include "tests/receiver-sim/SimulatorProcess.h"

#include "serial/VirtualPorts.h"
#include "tests/receiver-sim/PortEnd.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {
std::string Slurp(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
} // namespace

SimulatorProcess::SimulatorProcess(const ScratchEnvironment& scratch,
                                   const std::vector<std::string>& arguments)
    : out_(scratch.root() + "/sim.out"), err_(scratch.root() + "/sim.err") {
    pid_ = fork();
    if (pid_ == 0) {
        std::freopen(out_.c_str(), "w", stdout);
        std::freopen(err_.c_str(), "w", stderr);
        std::vector<char*> argv{const_cast<char*>(ZEPO_RECEIVER_SIM)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

SimulatorProcess::~SimulatorProcess() {
    if (!exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void SimulatorProcess::Signal(int signal) {
    kill(pid_, signal);
}

int SimulatorProcess::WaitForExit(std::chrono::milliseconds timeout) {
    int status = 0;
    exited_ = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeout);
    return exited_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string SimulatorProcess::Output() const {
    return Slurp(out_);
}
std::string SimulatorProcess::Errors() const {
    return Slurp(err_);
}

bool WaitForAnnouncement(const std::string& port) {
    return WaitFor([&] { return FindVirtualPort(port).has_value(); });
}
