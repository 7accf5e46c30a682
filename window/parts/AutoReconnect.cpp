#include "window/parts/AutoReconnect.h"

#include "serial/NetworkSource.h"
#include "serial/SerialPort.h"

namespace {
// udev may hand a node over before its access rights are set.
constexpr int kAttempts = 10;
constexpr int kRetryMs = 300;
// A receiver behind a bridge or on another machine is asked again this often.
constexpr int kNetworkRetryMs = 3000;
} // namespace

TAutoReconnect::TAutoReconnect(QObject* parent, TSerialPort& port) : QObject(parent), port_(port) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] { TryReopen(); });
}

void TAutoReconnect::DeviceLost(TCommPort port) {
    lost_ = port;
    if (enabled_ && LostNetworkSource())
        retry_.start(kNetworkRetryMs);
}

bool TAutoReconnect::LostNetworkSource() const {
    return lost_ != spNone && IsNetworkSourceName(port_.CommPortToString(lost_));
}

void TAutoReconnect::Forget() {
    lost_ = spNone;
    retry_.stop();
}

void TAutoReconnect::PortsChanged() {
    attemptsLeft_ = kAttempts;
    TryReopen();
}

void TAutoReconnect::TryReopen() {
    if (!enabled_ || lost_ == spNone || port_.IsConnected() != spNone)
        return;
    if (port_.Port() != lost_) {
        Forget(); // the user has chosen another port since
        return;
    }
    const bool network = LostNetworkSource();
    if (!network && !GetExistingCommPorts().test(lost_))
        return;
    reopening_ = true;
    try {
        port_.SetNeedSynchronization(true);
        port_.Open();
        lost_ = spNone;
    } catch (const std::exception&) {
        // Not ready yet, or gone again: tried again without a box.
        if (network)
            retry_.start(kNetworkRetryMs);
        else if (--attemptsLeft_ > 0)
            retry_.start(kRetryMs);
    }
    reopening_ = false;
}
