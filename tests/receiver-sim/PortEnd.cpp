#include "tests/receiver-sim/PortEnd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <thread>
#include <unistd.h>

PortEnd::PortEnd(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0)
        throw std::runtime_error("open " + path + ": " + std::strerror(errno));
    termios raw{};
    tcgetattr(fd_, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd_, TCSANOW, &raw);
}

PortEnd::~PortEnd() {
    ::close(fd_);
}

void PortEnd::Write(const std::string& bytes) {
    if (::write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("short write to the port");
}

void PortEnd::ReadFor(int ms) {
    pollfd pfd{fd_, POLLIN, 0};
    if (poll(&pfd, 1, ms) <= 0)
        return;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd_, buffer, sizeof buffer)) > 0)
        received_.append(buffer, static_cast<size_t>(n));
}

void PortEnd::SetBaud(int baud) {
    termios settings{};
    tcgetattr(fd_, &settings);
    cfsetspeed(&settings, baud == 115200 ? B115200 : baud == 38400 ? B38400 : B9600);
    tcsetattr(fd_, TCSANOW, &settings);
}

const std::string& PortEnd::Received() {
    ReadFor(0);
    return received_;
}

bool PortEnd::ReadUntil(const std::function<bool(const std::string&)>& done,
                        std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done(received_)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        ReadFor(20);
    }
    return true;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
