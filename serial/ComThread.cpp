#include "serial/ComThread.h"

#include "serial/GuiThreadCall.h"
#include "serial/PosixDevice.h"
#include "serial/ReaderContext.h"
#include "serial/ReceiveLog.h"

#include <chrono>

TComThread::TComThread(std::shared_ptr<ReaderContext> context)
    : context_(std::move(context)),
      pump_(
          *context_, [this] { NotifyChunkReady(); }, [this] { NotifyDeviceGone(); },
          [this] { NotifyLinkUp(); }) {}

TComThread::~TComThread() {
    RequestStop();
    Join();
}

void TComThread::StartReading(TThreadPriority priority) {
    pump_.Start(priority);
    Start(priority);
}

void TComThread::RequestStop() {
    std::lock_guard lock(wakeMutex_);
    stopRequested_ = true;
    wake_.notify_all();
}

void TComThread::SetPriority(TThreadPriority priority) {
    WorkerThread::SetPriority(priority);
    pump_.SetPriority(priority);
}

bool TComThread::StopRequested() {
    std::lock_guard lock(wakeMutex_);
    return stopRequested_;
}

bool TComThread::DeviceGone() {
    std::lock_guard lock(wakeMutex_);
    return deviceGone_;
}

void TComThread::Raise(bool& flag) {
    std::lock_guard lock(wakeMutex_);
    flag = true;
    wake_.notify_all();
}

void TComThread::NotifyDeviceGone() {
    Raise(deviceGone_);
}

void TComThread::NotifyChunkReady() {
    Raise(chunkReady_);
}

void TComThread::NotifyLinkUp() {
    Raise(linkUp_);
}

void TComThread::TellLinkUp() {
    {
        std::lock_guard lock(wakeMutex_);
        if (!linkUp_ || linkUpTold_)
            return;
        linkUpTold_ = true;
    }
    try {
        Dispatch([this] {
            if (!context_->retired)
                context_->events.linkUp();
        });
    } catch (...) {
        // As for the other handlers.
    }
}

void TComThread::Dispatch(const std::function<void()>& call) {
    if (context_->settings->synchronised)
        RunOnGuiThread(call);
    else
        call();
}

void TComThread::Run() {
    while (!StopRequested()) {
        const bool gone = DeviceGone();
        if (!gone) {
            TellLinkUp();
            PollLineStatus();
        }
        // What came before the device went away is still delivered; the
        // rest of a flood follows at once.
        const bool more = DeliverReceived();
        if (gone && !more)
            break;
        if (!more)
            SleepDelay();
    }
    Release();
}

void TComThread::PollLineStatus() {
    try {
        const TLineStatusSet lines = context_->device->LineStatus();
        if (lines == context_->lineStatus.load())
            return;
        context_->lineStatus = lines;
        Dispatch([this, lines] {
            if (!context_->retired)
                context_->events.lineStatusChange(lines);
        });
    } catch (...) {
        // Handler failures must not stop the reader.
    }
}

bool TComThread::DeliverReceived() {
    if (StopRequested())
        return false;
    {
        std::lock_guard lock(wakeMutex_);
        chunkReady_ = false;
    }
    const ReceiveBuffer::Taken taken = context_->received.Take();
    const std::string& chunk = taken.bytes;
    const std::uint64_t dropped = taken.dropped;
    if (!chunk.empty()) {
        context_->receiving = true;
        try {
            Dispatch([this, &chunk, &taken] {
                if (!context_->retired)
                    context_->events.receive(chunk, taken.marks);
            });
            const ReaderSettings& settings = *context_->settings;
            if (settings.logInput)
                WriteToLogFile(settings.LogFile(), settings.logDateTime, chunk);
        } catch (...) {
            // A failing handler or log loses nothing but its own step.
        }
        context_->receiving = false;
    }
    if (dropped == 0)
        return taken.more;
    try {
        Dispatch([this, dropped] {
            if (!context_->retired)
                context_->events.overflow(dropped);
        });
    } catch (...) {
        // As for the receive handler.
    }
    return taken.more;
}

void TComThread::SleepDelay() {
    std::unique_lock lock(wakeMutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(context_->settings->delay.load()), [this] {
        return stopRequested_ || deviceGone_ || chunkReady_ || (linkUp_ && !linkUpTold_);
    });
}

void TComThread::Release() {
    pump_.Stop();
    // A device that vanished while nobody was closing it is reported as lost;
    // a Close racing the loss is just a Close.
    bool lost = false;
    {
        std::lock_guard lock(wakeMutex_);
        lost = deviceGone_ && !stopRequested_;
    }
    const ConnectionEvents& events = context_->events;
    for (const auto* event : {lost ? &events.deviceLost : nullptr, &events.disconnect}) {
        try {
            if (event != nullptr)
                Dispatch(*event);
        } catch (...) {
            // The device is released whatever the handlers do.
        }
    }
    context_->device->PurgeAll();
    context_->device->Close();
    events.ended();
}
