#include "serial/GuiThreadCall.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace {
// Where the main thread leaves the outcome of a call for the waiting thread.
// Locking it on both sides also orders the caller's writes before the call.
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
        std::exception_ptr failure;
        { std::lock_guard ordered(completion_->mutex); }
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
    QMetaObject::invokeMethod(app, PostedCall(completion, call), Qt::QueuedConnection);
    completion->finished.wait(lock, [&] { return completion->done; });
    if (completion->failure)
        std::rethrow_exception(completion->failure);
}
