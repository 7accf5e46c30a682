#include "recording/ReplayPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {
constexpr std::size_t kLargestWrite = 64 * 1024;
constexpr int kWaitSliceMs = 50;
} // namespace

ReplayPort::ReplayPort(Recording recording, bool asFastAsPossible)
    : schedule_(std::move(recording)) {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0)
        throw std::runtime_error(std::string("Cannot make a port to replay on: ") +
                                 std::strerror(errno));
    devicePath_ = name;
    // The slave side stays open here too, so the line keeps its bytes while
    // the monitor closes and reopens the port.
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    schedule_.SetAsFastAsPossible(asFastAsPossible, NowMs());
    thread_ = std::thread([this] { Run(); });
}

ReplayPort::~ReplayPort() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    ::close(master_);
    ::close(slave_);
}

std::int64_t ReplayPort::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void ReplayPort::Pause() {
    std::lock_guard lock(mutex_);
    schedule_.Pause();
}

void ReplayPort::Resume() {
    {
        std::lock_guard lock(mutex_);
        schedule_.Resume(NowMs());
    }
    wake_.notify_all();
}

void ReplayPort::Step() {
    {
        std::lock_guard lock(mutex_);
        stepBytes_ += schedule_.TakeStep();
    }
    wake_.notify_all();
}

void ReplayPort::Seek(double fraction) {
    {
        std::lock_guard lock(mutex_);
        schedule_.Seek(fraction, NowMs());
    }
    wake_.notify_all();
}

void ReplayPort::SetAsFastAsPossible(bool fast) {
    {
        std::lock_guard lock(mutex_);
        schedule_.SetAsFastAsPossible(fast, NowMs());
    }
    wake_.notify_all();
}

bool ReplayPort::Paused() const {
    std::lock_guard lock(mutex_);
    return schedule_.Paused();
}

bool ReplayPort::Finished() const {
    std::lock_guard lock(mutex_);
    return schedule_.Finished() && stepBytes_.empty() && !writing_;
}

double ReplayPort::Progress() const {
    std::lock_guard lock(mutex_);
    return schedule_.Progress();
}

void ReplayPort::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        std::string bytes = std::exchange(stepBytes_, {});
        bytes += schedule_.TakeDue(NowMs(), kLargestWrite);
        if (!bytes.empty()) {
            writing_ = true;
            lock.unlock();
            const bool goOn = WriteAll(bytes);
            lock.lock();
            writing_ = false;
            if (!goOn)
                break;
            continue;
        }
        lock.unlock();
        DropInput();
        lock.lock();
        const std::int64_t due = schedule_.NextDueMs();
        const std::int64_t waitMs =
            due < 0 ? kWaitSliceMs : std::clamp<std::int64_t>(due - NowMs(), 0, kWaitSliceMs);
        if (stop_ || !stepBytes_.empty())
            continue;
        wake_.wait_for(lock, std::chrono::milliseconds(waitMs));
    }
}

bool ReplayPort::WriteAll(const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::write(master_, bytes.data() + written, bytes.size() - written);
        if (done > 0) {
            written += static_cast<std::size_t>(done);
            continue;
        }
        if (done < 0 && errno != EAGAIN && errno != EINTR)
            return true; // the line is gone; the rest falls into the void
        // The line is full: wait for the monitor to read, watching for a stop.
        DropInput();
        pollfd out{master_, POLLOUT, 0};
        ::poll(&out, 1, kWaitSliceMs);
        std::lock_guard lock(mutex_);
        if (stop_)
            return false;
    }
    return true;
}

void ReplayPort::DropInput() {
    char sink[4096];
    while (::read(master_, sink, sizeof sink) > 0) {
    }
}
