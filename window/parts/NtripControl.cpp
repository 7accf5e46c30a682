#include "window/parts/NtripControl.h"

#include "serial/SerialPort.h"
#include "window/parts/AutoReconnect.h"
#include "window/parts/ReceiverFeed.h"
#include "window/parts/WindowSender.h"

#include <QDateTime>
#include <QTime>
#include <exception>

namespace {
// Bytes held for a message's rest go out after this long without more: a
// stream that is not RTCM 3 is not held up for long.
constexpr int kFlushMs = 250;
// A stream silent this long is taken for lost and connected again.
constexpr int kSilenceMs = 30000;
constexpr int kStatusMs = 1000;
// Corrections held while the sender is busy, at most: older ones are of no
// use to the receiver by then.
constexpr std::size_t kMaxPending = 64 * 1024;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

int GgaQuality(const protocol::FixStatus& fix) {
    switch (fix.Solution.value_or(protocol::Solution::Autonomous)) {
    case protocol::Solution::Differential:
        return 2;
    case protocol::Solution::RtkFixed:
        return 4;
    case protocol::Solution::RtkFloat:
        return 5;
    default:
        return 1;
    }
}
} // namespace

TNtripControl::TNtripControl(QObject* parent, TWindowSender& sender, TSerialPort& port,
                             const TReceiverFeed& feed)
    : QObject(parent), sender_(sender), port_(port), feed_(feed),
      stream_(new TCasterRequest(this, ZEPO_VERSION)),
      sourcetable_(new TCasterRequest(this, ZEPO_VERSION)) {
    clock_.start();
    retry_.setSingleShot(true);
    flush_.setSingleShot(true);
    silence_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] { Connect(caster_, mountpoint_); });
    connect(&flush_, &QTimer::timeout, this, [this] { FlushHeld(); });
    connect(&silence_, &QTimer::timeout, this, [this] {
        stream_->Stop();
        RetryLater(QString("no data from %1 for %2 s").arg(Where()).arg(kSilenceMs / 1000));
    });
    connect(&gga_, &QTimer::timeout, this, [this] { SendGga(); });
    connect(&status_, &QTimer::timeout, this, [this] { ShowStatus(); });
    status_.start(kStatusMs);
    connect(&sender_, &TWindowSender::Idle, this, [this] { Write(); });
    connect(stream_, &TCasterRequest::StreamStarted, this, [this] {
        failures_ = 0;
        state_ = QString("Connected to %1").arg(Where());
        emit Logged("NTRIP: connected to " + Where());
        silence_.start(kSilenceMs);
        SendGga();
        ShowStatus();
    });
    connect(stream_, &TCasterRequest::Data, this,
            [this](const std::string& bytes) { Take(bytes); });
    connect(stream_, &TCasterRequest::Ended, this, &TNtripControl::StreamEnded);
    connect(sourcetable_, &TCasterRequest::Ended, this, &TNtripControl::SourcetableEnded);
}

double TNtripControl::Seconds() const {
    return static_cast<double>(clock_.elapsed()) / 1000;
}

QString TNtripControl::Where() const {
    return QString("%1 at %2:%3").arg(Text(mountpoint_), Text(caster_.host)).arg(caster_.port);
}

void TNtripControl::FetchSourcetable(const ntrip::Caster& caster) {
    sourcetable_->Start(caster, {});
}

void TNtripControl::Connect(const ntrip::Caster& caster, const std::string& mountpoint) {
    if (mountpoint.empty())
        throw std::runtime_error("Choose a mountpoint first: type it, or pick it from the "
                                 "sourcetable");
    const bool again = active_ && caster.host == caster_.host && caster.port == caster_.port &&
                       caster.tls == caster_.tls && mountpoint == mountpoint_;
    if (!again) {
        failures_ = 0;
        corrections_ = {};
        written_ = notWritten_ = 0;
    }
    retry_.stop();
    caster_ = caster;
    mountpoint_ = mountpoint;
    active_ = true;
    state_ = QString("Connecting to %1").arg(Where());
    stream_->Start(caster, mountpoint, CurrentGga().value_or(std::string()));
    ShowStatus();
}

void TNtripControl::Disconnect() {
    if (!active_)
        return;
    emit Logged("NTRIP: disconnected from " + Where());
    Stop("Off");
}

void TNtripControl::Stop(const QString& state) {
    active_ = false;
    stream_->Stop();
    retry_.stop();
    silence_.stop();
    FlushHeld();
    state_ = state;
    ShowStatus();
}

void TNtripControl::RetryLater(const QString& cause) {
    const int waitMs = NetworkRetryMs(failures_++);
    state_ = QString("%1; connecting again in %2 s").arg(cause).arg(waitMs / 1000);
    emit Logged("NTRIP: " + state_);
    silence_.stop();
    FlushHeld();
    retry_.start(waitMs);
    ShowStatus();
}

void TNtripControl::StreamEnded(TCasterRequest::TEnd end, const QString& message,
                                const std::string& body) {
    using End = TCasterRequest::TEnd;
    if (!active_)
        return;
    QString reason = message;
    switch (end) {
    case End::Closed:
    case End::Unreachable:
        RetryLater(message);
        return;
    case End::Sourcetable:
    case End::NotFound:
        reason = QString("%1:%2 has no mountpoint \"%3\"; its sourcetable is shown")
                     .arg(Text(caster_.host))
                     .arg(caster_.port)
                     .arg(Text(mountpoint_));
        // NTRIP 1 casters answer with it; NTRIP 2 casters are asked for it.
        if (end == End::Sourcetable)
            emit SourcetableReceived(ntrip::ParseSourcetable(body));
        else
            FetchSourcetable(caster_);
        break;
    default:
        break;
    }
    emit Logged("NTRIP: " + reason);
    Stop(reason);
    emit Failed(reason);
}

void TNtripControl::SourcetableEnded(TCasterRequest::TEnd end, const QString& message,
                                     const std::string& body) {
    if (end == TCasterRequest::TEnd::Sourcetable) {
        emit SourcetableReceived(ntrip::ParseSourcetable(body));
        return;
    }
    emit Failed(message);
}

void TNtripControl::Take(const std::string& bytes) {
    silence_.start(kSilenceMs);
    corrections_.Feed(bytes, Seconds(), pending_);
    if (corrections_.Held() > 0)
        flush_.start(kFlushMs);
    Write();
}

void TNtripControl::FlushHeld() {
    flush_.stop();
    corrections_.Flush(Seconds(), pending_);
    Write();
}

void TNtripControl::Write() {
    if (pending_.empty())
        return;
    if (port_.IsConnected() == spNone) {
        notWritten_ += pending_.size();
        pending_.clear();
        return;
    }
    if (sender_.IsSending()) {
        // The oldest corrections go when the sender stays busy for long.
        if (pending_.size() > kMaxPending) {
            notWritten_ += pending_.size();
            pending_.clear();
        }
        return;
    }
    const std::string bytes = std::exchange(pending_, {});
    try {
        sender_.SendQuietly(bytes, [this, size = bytes.size()](std::uint32_t count) {
            written_ += count;
            notWritten_ += size - count;
        });
    } catch (const std::exception&) {
        notWritten_ += bytes.size(); // the port closed meanwhile
    }
}

void TNtripControl::SetGgaInterval(int seconds) {
    if (seconds <= 0) {
        gga_.stop();
        return;
    }
    gga_.start(seconds * 1000);
}

void TNtripControl::SetTypedPosition(const std::optional<ntrip::GgaFix>& position) {
    typedPosition_ = position;
}

std::optional<ntrip::GgaFix> TNtripControl::CurrentFix() const {
    if (typedPosition_)
        return typedPosition_;
    const protocol::ReceiverSnapshot snapshot = feed_.Snapshot();
    if (!snapshot.Position)
        return std::nullopt;
    ntrip::GgaFix fix;
    fix.latitudeDeg = snapshot.Position->LatitudeDeg;
    fix.longitudeDeg = snapshot.Position->LongitudeDeg;
    const auto& msl = snapshot.Position->HeightMslM;
    const auto& ellipsoid = snapshot.Position->HeightEllipsoidM;
    fix.heightMslM = msl.value_or(ellipsoid.value_or(0));
    if (msl && ellipsoid)
        fix.geoidSeparationM = *ellipsoid - *msl;
    fix.quality = GgaQuality(snapshot.Fix);
    fix.satellites = snapshot.Fix.SatellitesUsed.value_or(fix.satellites);
    fix.hdop = snapshot.Dop.Horizontal.value_or(fix.hdop);
    return fix;
}

std::optional<std::string> TNtripControl::CurrentGga() const {
    const std::optional<ntrip::GgaFix> fix = CurrentFix();
    if (!fix)
        return std::nullopt;
    const QTime now = QDateTime::currentDateTimeUtc().time();
    return ntrip::BuildGga(*fix, now.msecsSinceStartOfDay() / 1000.0);
}

void TNtripControl::SendGga() {
    if (!gga_.isActive() || !stream_->Streaming())
        return;
    if (const std::optional<std::string> gga = CurrentGga())
        stream_->Send(*gga);
}

TNtripStatus TNtripControl::Status() const {
    TNtripStatus status;
    status.State = state_;
    const double now = Seconds();
    status.Bytes = corrections_.Bytes();
    status.BytesPerSecond = corrections_.BytesPerSecond(now);
    QStringList types;
    for (const auto& [name, count] : corrections_.Types())
        types << QString("%1: %2").arg(Text(name)).arg(count);
    status.Types = types.join(", ");
    if (const std::optional<double> last = corrections_.LastMessageAt())
        status.AgeSeconds = now - *last;
    status.Written = written_;
    status.NotWritten = notWritten_;
    status.HeldBack = corrections_.HeldBack();
    return status;
}

void TNtripControl::ShowStatus() {
    emit StatusChanged(Status());
}
