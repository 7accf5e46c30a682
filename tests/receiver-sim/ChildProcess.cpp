#include "tests/receiver-sim/ChildProcess.h"

#include "serial/VirtualPorts.h"
#include "tests/receiver-sim/PortEnd.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

std::optional<std::string> FindProgram(const std::string& name) {
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    std::istringstream directories(path + ":/usr/sbin:/sbin");
    for (std::string directory; std::getline(directories, directory, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(directory) / name;
        if (!directory.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return std::nullopt;
}

const char* const kReceiverSimulator = ZEPO_RECEIVER_SIM;

ChildProcess::ChildProcess(const ScratchEnvironment& scratch, const std::string& program,
                           const std::vector<std::string>& arguments)
    : out_(scratch.root() + "/" + std::filesystem::path(program).filename().string() + ".out"),
      err_(scratch.root() + "/" + std::filesystem::path(program).filename().string() + ".err") {
    pid_ = fork();
    if (pid_ == 0) {
        std::freopen(out_.c_str(), "w", stdout);
        std::freopen(err_.c_str(), "w", stderr);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (!exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void ChildProcess::Signal(int signal) {
    kill(pid_, signal);
}

int ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    int status = 0;
    exited_ = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeout);
    if (!exited_)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ChildProcess::Output() const {
    return Slurp(out_);
}
std::string ChildProcess::Errors() const {
    return Slurp(err_);
}

bool WaitForAnnouncement(const std::string& port) {
    return WaitFor([&] { return FindVirtualPort(port).has_value(); });
}
