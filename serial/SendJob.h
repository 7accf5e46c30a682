#pragma once
// TSendJob: one write of the open connection that goes on in a thread of its
// own, so that the caller (the window) is never held while a device that
// does not read lets its queue fill up. The caller follows how much went
// out, may wait a little for the end and may cancel; a cancelled or timed
// out job, or one whose device was closed, ends with what was written.

#include "serial/WorkerThread.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

class PosixDevice;

class TSendJob : public WorkerThread {
public:
    TSendJob(std::shared_ptr<PosixDevice> device, std::string bytes);
    // Cancels a write still going on and waits for its thread.
    ~TSendJob() override;

    std::size_t Size() const { return bytes_.size(); }
    std::size_t Written() const { return written_; }
    // The bytes that went out; final once the job has finished.
    std::string WrittenBytes() const { return bytes_.substr(0, written_); }
    void Cancel() { cancel_ = true; }

protected:
    void Run() override;

private:
    const std::shared_ptr<PosixDevice> device_;
    const std::string bytes_;
    std::atomic<bool> cancel_ = false;
    std::atomic<std::size_t> written_ = 0;
};
