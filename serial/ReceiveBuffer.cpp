#include "serial/ReceiveBuffer.h"

#include <algorithm>
#include <utility>

void ReceiveBuffer::Append(const char* data, std::size_t size, const ReadTime& at) {
    std::lock_guard lock(mutex_);
    const std::size_t room = limit_ - std::min(limit_, bytes_.size());
    const std::size_t kept = std::min(room, size);
    bytes_.append(data, kept);
    if (kept > 0)
        marks_.Add(bytes_.size(), at);
    dropped_ += size - kept;
    droppedUnreported_ += size - kept;
}

ReceiveBuffer::Taken ReceiveBuffer::TakeAll() {
    Taken taken;
    std::lock_guard lock(mutex_);
    taken.bytes.swap(bytes_);
    taken.marks = marks_.TakeAll();
    taken.dropped = std::exchange(droppedUnreported_, 0);
    return taken;
}

std::uint64_t ReceiveBuffer::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

void ReceiveBuffer::Clear() {
    std::lock_guard lock(mutex_);
    bytes_.clear();
    marks_.Clear();
}
