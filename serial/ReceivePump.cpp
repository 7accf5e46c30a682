#include "serial/ReceivePump.h"

#include "serial/PosixDevice.h"
#include "serial/ReaderContext.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace {
// One read takes at most this much: more than any kernel queue holds.
constexpr std::size_t kReadSize = 64 * 1024;
} // namespace

ReceivePump::ReceivePump(ReaderContext& context, std::function<void()> onChunkReady,
                         std::function<void()> onDeviceGone, std::function<void()> onLinkUp)
    : context_(context), onChunkReady_(std::move(onChunkReady)),
      onDeviceGone_(std::move(onDeviceGone)), onLinkUp_(std::move(onLinkUp)),
      stopWake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), readBuffer_(kReadSize) {
    if (stopWake_ < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

ReceivePump::~ReceivePump() {
    Stop();
    ::close(stopWake_);
}

void ReceivePump::Stop() {
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t woken = ::write(stopWake_, &one, sizeof one);
    Join();
}

void ReceivePump::Run() {
    PosixDevice& device = *context_.device;
    bool linkUp = !device.IsNetworkLink();
    while (!stopping_) {
        const PosixDevice::InputState state = device.WaitForInput(stopWake_);
        if (!linkUp && device.IsOpen()) {
            linkUp = true;
            onLinkUp_();
        }
        if (state == PosixDevice::InputState::Woken)
            continue;
        // What arrived before a hang-up is kept.
        if (!Drain() || state == PosixDevice::InputState::Gone) {
            onDeviceGone_();
            return;
        }
    }
}

bool ReceivePump::Drain() {
    while (!stopping_) {
        const std::size_t room = context_.received.RoomForRead(readBuffer_.size(), stopping_);
        if (room == 0)
            return true;
        const long got = context_.device->ReadSome(readBuffer_.data(), room);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        const ReadTime at = ReadTime::Now();
        const auto size = static_cast<std::size_t>(got);
        context_.receiveTap->Call(readBuffer_.data(), size);
        if (context_.received.Append(readBuffer_.data(), size, at))
            onChunkReady_();
    }
    return true;
}
