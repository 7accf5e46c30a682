#include "tests/support/PtyPeer.h"

#include "serial/VirtualPorts.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {
void makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        throw std::runtime_error(std::string("tcgetattr: ") + std::strerror(errno));
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
}

using Clock = std::chrono::steady_clock;

int millisLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}
} // namespace

PtyPeer::PtyPeer() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error(std::string("openpty: ") + std::strerror(errno));
    devicePath_ = name;
    makeRaw(master_);
    makeRaw(slave_);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPeer::~PtyPeer() {
    withdraw();
    closeSlave();
    if (master_ >= 0)
        close(master_);
}

void PtyPeer::announce(const std::string& comName) {
    withdraw();
    AnnounceVirtualPort(comName, devicePath_);
    announced_ = comName;
}

void PtyPeer::withdraw() {
    if (!announced_.empty())
        WithdrawVirtualPort(announced_);
    announced_.clear();
}

void PtyPeer::closeSlave() {
    if (slave_ >= 0)
        close(slave_);
    slave_ = -1;
}

void PtyPeer::unplug() {
    if (master_ >= 0)
        close(master_);
    master_ = -1;
}

void PtyPeer::write(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd pfd{master_, POLLOUT, 0};
            poll(&pfd, 1, 100);
        } else {
            throw std::runtime_error(std::string("pty write: ") + std::strerror(errno));
        }
    }
}

namespace {
// Reads until `enough` says so, a poll waits longer than pollMs() allows, or
// the line ends; returns what arrived.
template <typename Enough, typename PollMs>
std::string readWhile(int fd, Enough enough, PollMs pollMs) {
    std::string received;
    char buffer[4096];
    while (!enough(received)) {
        pollfd pfd{fd, POLLIN, 0};
        const int waitMs = pollMs();
        if (waitMs <= 0 || poll(&pfd, 1, waitMs) <= 0)
            break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return received;
}
} // namespace

std::string PtyPeer::read(size_t count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    return readWhile(
        master_, [count](const std::string& got) { return got.size() >= count; },
        [deadline] { return millisLeft(deadline); });
}

std::string PtyPeer::readUntilQuiet(int quietMs, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    return readWhile(
        master_, [](const std::string&) { return false; },
        [deadline, quietMs] { return std::min(quietMs, millisLeft(deadline)); });
}
