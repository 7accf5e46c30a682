#include "serial/ReadMarks.h"

#include <algorithm>

ReadTime ReadTime::Now() {
    return {std::chrono::system_clock::now(), std::chrono::steady_clock::now()};
}

namespace {
std::chrono::milliseconds::rep Millisecond(const ReadTime& at) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(at.steady.time_since_epoch())
        .count();
}
} // namespace

void ReadMarks::Add(std::size_t end, const ReadTime& at) {
    if (!marks_.empty() && Millisecond(marks_.back().at) == Millisecond(at)) {
        marks_.back() = {end, at};
        return;
    }
    if (marks_.size() == kMaxMarks) {
        // Each pair keeps its later mark: its bytes get the later read's time.
        for (std::size_t i = 1; i < marks_.size(); i += 2)
            marks_[i / 2] = marks_[i];
        marks_.resize(marks_.size() / 2);
    }
    marks_.push_back({end, at});
}

std::vector<ReadMark> ReadMarks::Take(std::size_t count) {
    const auto firstLeft = std::find_if(marks_.begin(), marks_.end(),
                                        [count](const ReadMark& mark) { return mark.end > count; });
    std::vector<ReadMark> taken(marks_.begin(), firstLeft);
    if (firstLeft != marks_.end() && count > 0 && (taken.empty() || taken.back().end < count))
        taken.push_back({count, firstLeft->at});
    marks_.erase(marks_.begin(), firstLeft);
    for (ReadMark& mark : marks_)
        mark.end -= count;
    return taken;
}
