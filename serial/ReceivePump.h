#pragma once
// The thread that takes a connection's bytes off the device the moment they
// arrive, so that the kernel's small input queue never overflows whatever the
// line rate and however long a delivery takes. Every read goes to the receive
// tap, then into the connection's buffer. It blocks in poll while the line is
// quiet, tells when a whole chunk waits (to be delivered at once), and when
// the device is gone (the far end hung up, the adapter was unplugged, the
// descriptor was released). A network link is established by its first wait,
// here; the pump tells when it stands.

#include "serial/WorkerThread.h"

#include <atomic>
#include <functional>
#include <vector>

struct ReaderContext;

class ReceivePump : public WorkerThread {
public:
    ReceivePump(ReaderContext& context, std::function<void()> onChunkReady,
                std::function<void()> onDeviceGone, std::function<void()> onLinkUp);
    ~ReceivePump() override;
    ReceivePump(const ReceivePump&) = delete;
    ReceivePump& operator=(const ReceivePump&) = delete;

    // Ends the loop and waits for it; nothing is read after it returns.
    void Stop();

protected:
    void Run() override;

private:
    // Reads until nothing is left; false when the device is gone.
    bool Drain();

    ReaderContext& context_;
    const std::function<void()> onChunkReady_;
    const std::function<void()> onDeviceGone_;
    const std::function<void()> onLinkUp_;
    const int stopWake_;
    std::vector<char> readBuffer_;
    std::atomic<bool> stopping_ = false;
};
