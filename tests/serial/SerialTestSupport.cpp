#include "tests/serial/SerialTestSupport.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <thread>

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

EventRecorder::EventRecorder(TSerialPort& port) {
    port.OnConnect = [this](TSerialPort*, TCommPort p) {
        Record([&] { events_.push_back("connect " + CommPortToString(p, "custom")); });
    };
    port.OnDisconnect = [this](TSerialPort*, TCommPort p) {
        Record([&] { events_.push_back("disconnect " + CommPortToString(p, "custom")); });
    };
    port.OnReceive = [this](TSerialPort*, const std::string& buffer) {
        Record([&] { chunks_.push_back(buffer); });
    };
    port.OnSend = [this](TSerialPort*, const std::string& buffer) {
        Record([&] { sent_ += buffer; });
    };
    port.OnLineStatusChange = [this](TSerialPort*, TLineStatusSet lines) {
        Record([&] { lineChanges_.push_back(lines); });
    };
}

void EventRecorder::Record(const std::function<void()>& change) {
    const bool onMain = QCoreApplication::instance() == nullptr ||
                        QThread::currentThread() == QCoreApplication::instance()->thread();
    std::lock_guard lock(mutex_);
    allOnMainThread_ = allOnMainThread_ && onMain;
    change();
}

std::vector<std::string> EventRecorder::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<std::string> EventRecorder::Chunks() const {
    std::lock_guard lock(mutex_);
    return chunks_;
}

std::string EventRecorder::Received() const {
    std::lock_guard lock(mutex_);
    std::string all;
    for (const std::string& chunk : chunks_)
        all += chunk;
    return all;
}

std::string EventRecorder::Sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

std::vector<TLineStatusSet> EventRecorder::LineChanges() const {
    std::lock_guard lock(mutex_);
    return lineChanges_;
}

bool EventRecorder::AllOnMainThread() const {
    std::lock_guard lock(mutex_);
    return allOnMainThread_;
}
