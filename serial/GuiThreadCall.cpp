#include "serial/GuiThreadCall.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace {
// Locked around posting a call and before running it, so that everything the
// posting thread did before (the call object itself included) visibly comes
// first: Qt's own queue lock orders it too, but the thread sanitizer cannot
// see inside Qt.
std::mutex handOverMutex;

// Where the main thread leaves the outcome of a call for the waiting thread.
struct Completion {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::exception_ptr failure;

    void Finish(std::exception_ptr error) {
        std::lock_guard lock(mutex);
        failure = std::move(error);
        done = true;
        finished.notify_all();
    }
};

// The posted call. If the application drops it unrun (while shutting down),
// its destructor still releases the waiting thread.
class PostedCall {
public:
    PostedCall(std::shared_ptr<Completion> completion, const std::function<void()>& call)
        : completion_(std::move(completion)), call_(&call) {}
    PostedCall(PostedCall&& other) noexcept
        : completion_(std::move(other.completion_)), call_(other.call_) {}
    PostedCall(const PostedCall&) = delete;
    ~PostedCall() {
        if (completion_)
            completion_->Finish(nullptr);
    }

    void operator()() {
        { std::lock_guard handedOver(handOverMutex); }
        std::exception_ptr failure;
        try {
            (*call_)();
        } catch (...) {
            failure = std::current_exception();
        }
        completion_->Finish(failure);
        completion_.reset();
    }

private:
    std::shared_ptr<Completion> completion_;
    const std::function<void()>* call_;
};
} // namespace

void RunOnGuiThread(const std::function<void()>& call) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        call();
        return;
    }
    auto completion = std::make_shared<Completion>();
    std::unique_lock lock(completion->mutex);
    {
        std::lock_guard handOver(handOverMutex);
        QMetaObject::invokeMethod(app, PostedCall(completion, call), Qt::QueuedConnection);
    }
    completion->finished.wait(lock, [&] { return completion->done; });
    if (completion->failure)
        std::rethrow_exception(completion->failure);
}

void PostToThreadOf(QObject* receiver, std::function<void()> call) {
    std::lock_guard handOver(handOverMutex);
    QMetaObject::invokeMethod(
        receiver,
        [call = std::move(call)] {
            { std::lock_guard handedOver(handOverMutex); }
            call();
        },
        Qt::QueuedConnection);
}
