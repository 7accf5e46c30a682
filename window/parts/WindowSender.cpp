#include "window/parts/WindowSender.h"

#include "serial/SendJob.h"
#include "serial/SerialPort.h"
#include "window/blocks/Controls.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <stdexcept>

namespace {
// How long a click waits for its write: a device that reads takes a whole
// command in far less, so such sends behave as synchronous ones.
constexpr std::chrono::milliseconds kWaitInClick(50);
constexpr int kProgressIntervalMs = 100;
} // namespace

TWindowSender::TWindowSender(QStatusBar* bar, TSerialPort& port, TEcho echo, TEcho quietEcho)
    : QObject(bar), port_(port), echo_(std::move(echo)), quietEcho_(std::move(quietEcho)) {
    lblSending = new QLabel(bar);
    lblSending->setObjectName("lblSending");
    pbSending = new QProgressBar(bar);
    pbSending->setObjectName("pbSending");
    pbSending->setMaximumWidth(120);
    btnCancelSend = MakeButton(bar, "btnCancelSend", "Cancel");
    for (QWidget* part : {static_cast<QWidget*>(lblSending), static_cast<QWidget*>(pbSending),
                          static_cast<QWidget*>(btnCancelSend)}) {
        bar->addPermanentWidget(part);
        part->hide();
    }
    connect(btnCancelSend, &QPushButton::clicked, this, [this] { Cancel(); });
    connect(&progressTimer_, &QTimer::timeout, this, [this] {
        if (job_->IsFinished())
            Finish();
        else
            ShowProgress();
    });
}

TWindowSender::~TWindowSender() {
    if (job_)
        job_->Cancel();
}

void TWindowSender::SendString(const std::string& str) {
    Send(str.substr(0, str.find('\0')), {});
}

void TWindowSender::SendChars(const std::string& str) {
    if (!str.empty())
        Send(str, {});
}

void TWindowSender::SendData(const std::string& data, TDone done) {
    Send(data, std::move(done));
}

void TWindowSender::SendQuietly(const std::string& data, TDone done) {
    Send(data, std::move(done), true);
}

void TWindowSender::SendInTurn(const std::string& data, TStarted started, TDone done) {
    TTurn turn{data, std::move(started), std::move(done)};
    if (job_) {
        waiting_.push_back(std::move(turn));
        return;
    }
    if (Start(turn))
        Finish();
}

void TWindowSender::Send(const std::string& bytes, TDone done, bool quiet) {
    if (job_)
        throw std::runtime_error("A send is still going on: wait for its end or cancel it");
    TTurn turn{bytes, {}, std::move(done), quiet};
    if (Start(turn))
        Finish();
}

bool TWindowSender::Start(TTurn& turn) {
    job_ = port_.StartSend(turn.bytes);
    done_ = std::move(turn.done);
    quiet_ = turn.quiet;
    if (turn.started)
        turn.started();
    if (job_->WaitFinished(kWaitInClick))
        return true;
    pbSending->setRange(0, 1000);
    ShowProgress();
    for (QWidget* part : {static_cast<QWidget*>(lblSending), static_cast<QWidget*>(pbSending),
                          static_cast<QWidget*>(btnCancelSend)})
        part->show();
    progressTimer_.start(kProgressIntervalMs);
    return false;
}

void TWindowSender::ShowProgress() {
    const std::size_t size = std::max<std::size_t>(job_->Size(), 1);
    lblSending->setText(QString("Sending: %1 of %2 bytes").arg(job_->Written()).arg(job_->Size()));
    pbSending->setValue(static_cast<int>(job_->Written() * 1000 / size));
}

void TWindowSender::Cancel() {
    if (!job_)
        return;
    job_->Cancel();
    job_->Join();
    Finish();
}

void TWindowSender::Finish() {
    Conclude();
    while (!job_ && !waiting_.empty()) {
        TTurn turn = std::move(waiting_.front());
        waiting_.pop_front();
        bool ended = false;
        try {
            ended = Start(turn);
        } catch (const std::exception&) {
            if (turn.done)
                turn.done(0);
            continue;
        }
        if (ended)
            Conclude();
    }
    if (!job_)
        emit Idle();
}

void TWindowSender::Conclude() {
    progressTimer_.stop();
    lblSending->hide();
    pbSending->hide();
    btnCancelSend->hide();
    // Taken out first: the echo and done may start the next send.
    const std::shared_ptr<TSendJob> job = std::move(job_);
    const TDone done = std::move(done_);
    job_.reset();
    const std::string written = job->WrittenBytes();
    const TEcho& echo = quiet_ ? quietEcho_ : echo_;
    if (!written.empty() && echo)
        echo(written);
    if (done)
        done(static_cast<std::uint32_t>(written.size()));
}
