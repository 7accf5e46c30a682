#include "serial/PosixDevice.h"

#include "serial/NetworkLink.h"
#include "serial/NetworkSource.h"
#include "serial/SystemError.h"

// termios2 (any bit rate through BOTHER) comes from the kernel's headers,
// which cannot be mixed with <termios.h>; everything here goes through ioctl.
#include <algorithm>
#include <asm/termbits.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

struct PosixDevice::SavedSettings {
    termios2 tio;
};

namespace {
constexpr int kPollSliceMs = 50;
constexpr std::uint64_t kLongestWriteMs = std::uint64_t{1} << 40;

struct RateConstant {
    std::int32_t rate;
    unsigned int constant;
};

constexpr RateConstant kRateConstants[] = {
    {50, B50},         {75, B75},         {110, B110},         {134, B134},
    {150, B150},       {200, B200},       {300, B300},         {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},       {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},     {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {2000000, B2000000}};

void SetRate(termios2& tio, std::int32_t rate) {
    tio.c_cflag &= ~CBAUD;
    tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(rate);
    for (const RateConstant& known : kRateConstants) {
        if (known.rate == rate) {
            tio.c_cflag |= known.constant;
            return;
        }
    }
    tio.c_cflag |= BOTHER;
}

tcflag_t DataBitsFlag(std::uint8_t bits) {
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t ParityFlags(TParityBits parity) {
    switch (parity) {
    case pbOdd:
        return PARENB | PARODD;
    case pbEven:
        return PARENB;
    case pbMark:
        return PARENB | CMSPAR | PARODD;
    case pbSpace:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

// Raw mode, reads that never wait.
termios2 BuildTermios(const LineSettings& s) {
    termios2 tio{};
    tio.c_cflag = CLOCAL | CREAD | DataBitsFlag(s.dataBits) | ParityFlags(s.parity);
    // One and a half stop bits exist only with five data bits, where the
    // UART sends 1.5 for the two-stop-bit setting.
    if (s.stopBits != sb1Bit)
        tio.c_cflag |= CSTOPB;
    if (s.hwFlow == hfRTSCTS)
        tio.c_cflag |= CRTSCTS;
    if (s.parityCheck)
        tio.c_iflag |= INPCK;
    if (s.xonXoff)
        tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    SetRate(tio, s.baudRate);
    return tio;
}

// The time left until deadline, at most one poll slice, 0 when it has passed.
int NextWaitMs(std::chrono::steady_clock::time_point deadline) {
    const std::int64_t left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
    return static_cast<int>(std::clamp<std::int64_t>(left, 0, kPollSliceMs));
}
} // namespace

std::unique_ptr<PosixDevice> PosixDevice::Open(const std::string& path, std::string& error) {
    if (IsNetworkSourceName(path)) {
        const int closeWake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (closeWake < 0) {
            error = SystemErrorText(errno);
            return nullptr;
        }
        std::unique_ptr<NetworkLink> link = NetworkLink::Prepare(path, closeWake, error);
        if (!link) {
            ::close(closeWake);
            return nullptr;
        }
        return std::unique_ptr<PosixDevice>(new PosixDevice(-1, closeWake, std::move(link)));
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = SystemErrorText(errno);
        return nullptr;
    }
    int cause = 0;
    if (!isatty(fd))
        cause = ENOTTY;
    else if (ioctl(fd, TIOCEXCL) != 0)
        cause = errno;
    // Root passes TIOCEXCL, so the lock is what keeps a second opener out.
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        cause = errno == EWOULDBLOCK ? EBUSY : errno;
    const int closeWake = cause == 0 ? eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1;
    if (cause == 0 && closeWake < 0)
        cause = errno;
    if (cause != 0) {
        if (cause != EBUSY)
            ioctl(fd, TIOCNXCL);
        ::close(fd);
        error = SystemErrorText(cause);
        return nullptr;
    }
    return std::unique_ptr<PosixDevice>(new PosixDevice(fd, closeWake, nullptr));
}

PosixDevice::PosixDevice(int fd, int closeWake, std::unique_ptr<NetworkLink> link)
    : fd_(fd), closeWake_(closeWake), link_(std::move(link)) {
    if (link_)
        return;
    auto saved = std::make_unique<SavedSettings>();
    if (ioctl(fd, TCGETS2, &saved->tio) == 0)
        savedSettings_ = std::move(saved);
}

PosixDevice::~PosixDevice() {
    Close();
    ::close(closeWake_);
}

void PosixDevice::Close() {
    closing_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t woken = ::write(closeWake_, &one, sizeof one);
    std::unique_lock lock(inUse_);
    if (link_)
        link_->Release();
    const int fd = fd_.exchange(-1);
    if (fd < 0)
        return;
    // The next user of the device finds it as this program found it.
    if (savedSettings_)
        ioctl(fd, TCSETS2, &savedSettings_->tio);
    ioctl(fd, TIOCNXCL);
    ::close(fd);
}

bool PosixDevice::ApplyLineSettings(const LineSettings& settings) {
    std::shared_lock lock(inUse_);
    if (settings.baudRate <= 0 || closing_)
        return false;
    // A link keeps the settings until it stands.
    if (link_) {
        link_->ApplyLineSettings(settings);
        return true;
    }
    const int fd = fd_;
    if (fd < 0)
        return false;
    termios2 tio = BuildTermios(settings);
    if (ioctl(fd, TCSETS2, &tio) != 0)
        return false;
    // Lines under a handshake are the driver's; raise them, it takes over.
    // Devices without modem lines (pseudo-terminals) refuse these quietly.
    const bool dtr = settings.hwFlow == hfDTRDSR || settings.dtrOn;
    const bool rts = settings.hwFlow == hfRTSCTS || settings.rtsOn;
    int bit = TIOCM_DTR;
    ioctl(fd, dtr ? TIOCMBIS : TIOCMBIC, &bit);
    bit = TIOCM_RTS;
    ioctl(fd, rts ? TIOCMBIS : TIOCMBIC, &bit);
    return true;
}

bool PosixDevice::SetWriteTimeouts(std::uint32_t multiplierMs, std::uint32_t constantMs) {
    writeMultiplierMs_ = multiplierMs;
    writeConstantMs_ = constantMs;
    return IsOpen();
}

bool PosixDevice::ApplyBufferSizes(std::uint32_t, std::uint32_t) {
    return IsOpen();
}

PosixDevice::InputState PosixDevice::WaitForInput(int wakeFd) {
    std::shared_lock lock(inUse_);
    if (link_ && fd_ < 0 && !closing_) {
        const int fd = link_->Establish({closeWake_, wakeFd});
        if (fd < 0)
            return closing_ || !link_->Failure().empty() ? InputState::Gone : InputState::Woken;
        fd_ = fd;
        return InputState::Woken; // the caller learns that the link stands
    }
    if (fd_ < 0 || closing_)
        return InputState::Gone;
    pollfd fds[3] = {{fd_, POLLIN, 0}, {closeWake_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    while (poll(fds, 3, -1) < 0)
        if (errno != EINTR)
            return InputState::Gone;
    // A hung-up terminal (far end closed, adapter unplugged) also reports
    // itself readable, for ever: the hang-up decides.
    if (fds[1].revents != 0)
        return InputState::Gone;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        if (link_)
            link_->NoteHangUp(fd_);
        return InputState::Gone;
    }
    if (fds[0].revents & POLLIN)
        return InputState::Readable;
    return InputState::Woken;
}

long PosixDevice::ReadSome(char* buffer, std::size_t size) {
    std::shared_lock lock(inUse_);
    if (fd_ < 0)
        return -1;
    if (link_)
        return link_->Receive(fd_, buffer, size);
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0)
        return static_cast<long>(got);
    // The errors of a device that vanished: EIO for a pty whose far end
    // closed and for a USB adapter pulled out, ENODEV, ENXIO.
    if (errno == EIO || errno == ENODEV || errno == ENXIO || errno == EBADF)
        return -1;
    return 0;
}

std::size_t PosixDevice::Write(const char* data, std::size_t size, const std::atomic<bool>* stop,
                               std::atomic<std::size_t>* progress) {
    std::shared_lock lock(inUse_);
    // Both timeouts zero: no time limit, the write waits until it is done.
    const bool limited = writeMultiplierMs_ != 0 || writeConstantMs_ != 0;
    // Capped so that the largest settings wait (for decades) rather than
    // overflow into a deadline already past.
    const auto budget = std::chrono::milliseconds(std::min<std::uint64_t>(
        static_cast<std::uint64_t>(writeMultiplierMs_) * size + writeConstantMs_, kLongestWriteMs));
    const auto deadline = std::chrono::steady_clock::now() + budget;
    std::size_t done = 0;
    while (done < size && fd_ >= 0 && !closing_ && !(stop && *stop)) {
        const long n = WriteSome(fd_, data + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            if (progress)
                *progress = done;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        const int wait = limited ? NextWaitMs(deadline) : kPollSliceMs;
        if (wait == 0)
            break;
        // Wake now and then so that a release of the device is not held up.
        pollfd pfd{fd_, POLLOUT, 0};
        poll(&pfd, 1, wait);
    }
    return done;
}

long PosixDevice::WriteSome(int fd, const char* data, std::size_t size) {
    return link_ ? link_->Send(fd, data, size) : ::write(fd, data, size);
}

std::string PosixDevice::Failure() const {
    return link_ ? link_->Failure() : std::string();
}

TLineStatusSet PosixDevice::LineStatus() {
    std::shared_lock lock(inUse_);
    if (link_)
        return link_->ModemLines();
    int bits = 0;
    if (fd_ < 0 || ioctl(fd_, TIOCMGET, &bits) != 0)
        return {};
    TLineStatusSet lines;
    if (bits & TIOCM_CTS)
        lines.Include(lsCTS);
    if (bits & TIOCM_DSR)
        lines.Include(lsDSR);
    if (bits & TIOCM_RNG)
        lines.Include(lsRING);
    if (bits & TIOCM_CAR)
        lines.Include(lsCD);
    return lines;
}

bool PosixDevice::ChangeModemLine(int line, bool on) {
    std::shared_lock lock(inUse_);
    return fd_ >= 0 && ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

bool PosixDevice::SetDTR(bool on) {
    return ChangeModemLine(TIOCM_DTR, on);
}

bool PosixDevice::SetRTS(bool on) {
    return ChangeModemLine(TIOCM_RTS, on);
}

bool PosixDevice::SetBreak(bool on) {
    std::shared_lock lock(inUse_);
    return fd_ >= 0 && ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0;
}

bool PosixDevice::SetXonXoff(bool on) {
    std::shared_lock lock(inUse_);
    return fd_ >= 0 && ioctl(fd_, TCXONC, on ? TCOON : TCOOFF) == 0;
}

bool PosixDevice::PurgeInput() {
    std::shared_lock lock(inUse_);
    return fd_ >= 0 && ioctl(fd_, TCFLSH, TCIFLUSH) == 0;
}

bool PosixDevice::PurgeOutput() {
    std::shared_lock lock(inUse_);
    return fd_ >= 0 && ioctl(fd_, TCFLSH, TCOFLUSH) == 0;
}

bool PosixDevice::PurgeAll() {
    std::shared_lock lock(inUse_);
    return fd_ >= 0 && ioctl(fd_, TCFLSH, TCIOFLUSH) == 0;
}
