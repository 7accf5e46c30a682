#include "window/parts/ConfigFileRunner.h"

#include "window/blocks/Counted.h"
#include "window/parts/UbxCommander.h"

#include <QPointer>

TConfigFileRunner::TConfigFileRunner(QObject* parent, TUbxCommander& commander)
    : QObject(parent), commander_(commander) {}

void TConfigFileRunner::Start(std::vector<ubx::TNamedFrame> frames, bool goOnAfterFailure) {
    ++run_;
    frames_ = std::move(frames);
    next_ = 0;
    applied_ = 0;
    failures_.clear();
    goOn_ = goOnAfterFailure;
    running_ = true;
    SendNext();
}

void TConfigFileRunner::Cancel() {
    if (running_)
        Finish("Cancelled: applied " + QString::number(applied_) + " of " +
               Counted(frames_.size(), "frame"));
}

QString TConfigFileRunner::FrameText(std::size_t index) const {
    return "frame " + QString::number(index + 1) + " of " + QString::number(frames_.size()) + " (" +
           QString::fromStdString(frames_[index].name) + ")";
}

void TConfigFileRunner::SendNext() {
    if (next_ == frames_.size()) {
        QString summary =
            "Applied " + QString::number(applied_) + " of " + Counted(frames_.size(), "frame");
        if (!failures_.isEmpty())
            summary += "; not applied: " + failures_.join("; ");
        return Finish(summary);
    }
    // The commander may outlive this run and this runner.
    const QPointer<TConfigFileRunner> self(this);
    const std::uint64_t run = run_;
    try {
        commander_.Send(frames_[next_].packet, [self, run](const ubx::TCommandOutcome& outcome) {
            if (self && self->running_ && self->run_ == run)
                self->Settle(outcome);
        });
    } catch (const std::exception& error) {
        Stop(QString::fromStdString(error.what()));
    }
}

void TConfigFileRunner::Settle(const ubx::TCommandOutcome& outcome) {
    const std::size_t index = next_;
    emit FrameSettled(static_cast<int>(index + 1), QString::fromStdString(frames_[index].name),
                      OutcomeText(outcome));
    const bool failed = outcome.kind == ubx::TAnswerKind::Rejected ||
                        outcome.kind == ubx::TAnswerKind::NoAnswer ||
                        outcome.kind == ubx::TAnswerKind::NotSent;
    const QString kind = QString::fromUtf8(ubx::AnswerKindText(outcome.kind));
    if (failed && !goOn_)
        return Stop(kind);
    ++next_;
    if (failed)
        failures_ << FrameText(index) + ": " + kind;
    else
        ++applied_;
    // Sent from the event loop, not from inside the commander's report.
    QMetaObject::invokeMethod(
        this,
        [this, run = run_] {
            if (running_ && run_ == run)
                SendNext();
        },
        Qt::QueuedConnection);
}

void TConfigFileRunner::Stop(const QString& why) {
    Finish("Stopped at " + FrameText(next_) + ": " + why);
}

void TConfigFileRunner::Finish(const QString& summary) {
    running_ = false;
    ++run_;
    emit Finished(summary);
}
