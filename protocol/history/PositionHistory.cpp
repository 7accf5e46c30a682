#include "protocol/history/PositionHistory.h"

namespace protocol {

void PositionHistory::Add(const FixRecord& fix) {
    if (maxFixes_ == 0)
        return;
    if (fixes_.size() >= maxFixes_)
        fixes_.pop_front();
    fixes_.push_back(fix);
}

PositionHistory::Range PositionHistory::Since(double utcSeconds) const {
    auto first = fixes_.end();
    while (first != fixes_.begin() && std::prev(first)->UtcSeconds >= utcSeconds)
        --first;
    return {first, fixes_.end()};
}

} // namespace protocol
