#include "window/parts/AutoReconnect.h"

#include "serial/NetworkSource.h"
#include "serial/SerialPort.h"

#include <algorithm>

namespace {
// udev may hand a node over before its access rights are set.
constexpr int kAttempts = 10;
constexpr int kRetryMs = 300;
// A receiver behind a bridge or on another machine is asked again after 1 s,
// then twice as long after each failure, up to 30 s.
constexpr int kFirstNetworkRetryMs = 1000;
constexpr int kLongestNetworkRetryMs = 30000;
} // namespace

int NetworkRetryMs(int failures) {
    int wait = kFirstNetworkRetryMs;
    for (int doubled = 0; doubled < failures && wait < kLongestNetworkRetryMs; ++doubled)
        wait *= 2;
    return std::min(wait, kLongestNetworkRetryMs);
}

TAutoReconnect::TAutoReconnect(QObject* parent, TSerialPort& port) : QObject(parent), port_(port) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] { TryReopen(); });
}

void TAutoReconnect::DeviceLost(TCommPort port) {
    lost_ = port;
    if (enabled_ && LostNetworkSource())
        RetryNetworkLater();
}

void TAutoReconnect::LinkUp() {
    networkFailures_ = 0;
}

void TAutoReconnect::RetryNetworkLater() {
    retry_.start(NetworkRetryMs(networkFailures_++));
}

bool TAutoReconnect::LostNetworkSource() const {
    return lost_ != spNone && IsNetworkSourceName(port_.CommPortToString(lost_));
}

void TAutoReconnect::Forget() {
    lost_ = spNone;
    networkFailures_ = 0;
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
            RetryNetworkLater();
        else if (--attemptsLeft_ > 0)
            retry_.start(kRetryMs);
    }
    reopening_ = false;
}
