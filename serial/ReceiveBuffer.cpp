#include "serial/ReceiveBuffer.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {
// Bytes fill blocks of this size, each allocated once at its full size.
constexpr std::size_t kBlockSize = 64 * 1024;
} // namespace

bool ReceiveBuffer::Append(const char* data, std::size_t size, const ReadTime& at) {
    std::lock_guard lock(mutex_);
    const std::size_t room = limit_ - std::min(limit_, size_);
    const std::size_t kept = std::min(room, size);
    for (std::size_t done = 0; done < kept;) {
        if (blocks_.empty() || blocks_.back().size() == kBlockSize)
            blocks_.emplace_back().reserve(kBlockSize);
        const std::size_t part = std::min(kept - done, kBlockSize - blocks_.back().size());
        blocks_.back().append(data + done, part);
        done += part;
    }
    size_ += kept;
    if (kept > 0)
        marks_.Add(size_, at);
    if (kept < size && !dropAt_)
        dropAt_ = size_;
    dropped_ += size - kept;
    droppedUnreported_ += size - kept;
    return size_ >= kLargestChunk;
}

std::size_t ReceiveBuffer::RoomForRead(std::size_t readSize, const std::atomic<bool>& stopping) {
    if (!holdSource_)
        return readSize;
    std::unique_lock lock(mutex_);
    // Stopping is told through another channel: look at it now and then.
    while (size_ >= kLargestChunk)
        if (taken_.wait_for(lock, std::chrono::milliseconds(20)) == std::cv_status::timeout &&
            stopping)
            return 0;
    return std::min(readSize, kLargestChunk - size_);
}

ReceiveBuffer::Taken ReceiveBuffer::Take() {
    Taken taken;
    std::lock_guard lock(mutex_);
    const std::size_t count = std::min(size_, kLargestChunk);
    taken.bytes.reserve(count);
    while (taken.bytes.size() < count) {
        std::string& front = blocks_.front();
        const std::size_t part = std::min(front.size(), count - taken.bytes.size());
        if (part == front.size()) {
            taken.bytes += front;
            blocks_.pop_front();
        } else {
            taken.bytes.append(front, 0, part);
            front.erase(0, part);
        }
    }
    size_ -= count;
    taken.marks = marks_.Take(count);
    taken.more = size_ > 0;
    taken.dropped = 0;
    if (dropAt_ && *dropAt_ <= count) {
        taken.dropped = std::exchange(droppedUnreported_, 0);
        dropAt_.reset();
    } else if (dropAt_)
        *dropAt_ -= count;
    taken_.notify_all();
    return taken;
}

std::uint64_t ReceiveBuffer::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

void ReceiveBuffer::Clear() {
    std::lock_guard lock(mutex_);
    blocks_.clear();
    size_ = 0;
    marks_.Clear();
    if (dropAt_)
        dropAt_ = 0;
    taken_.notify_all();
}
