#include "recording/MessageSplitter.h"

#include <utility>

namespace {
constexpr char kSync1 = '\xB5';
constexpr char kSync2 = 'b';
constexpr std::size_t kUbxOverhead = 8; // sync, class, id, length, checksum
} // namespace

std::size_t MessageSplitter::CompleteLength(std::string_view pending) {
    if (pending[0] == kSync1 && (pending.size() < 2 || pending[1] == kSync2)) {
        if (pending.size() < 6)
            return 0;
        const std::size_t length =
            static_cast<unsigned char>(pending[4]) | static_cast<unsigned char>(pending[5]) << 8;
        return pending.size() >= length + kUbxOverhead ? length + kUbxOverhead : 0;
    }
    // A line ends at its line feed; unframed bytes end where a frame starts.
    for (std::size_t at = 0; at < pending.size(); ++at) {
        if (pending[at] == '\n')
            return at + 1;
        if (at > 0 && pending[at] == kSync1 &&
            (at + 1 == pending.size() || pending[at + 1] == kSync2))
            return at;
    }
    return pending.size() >= kLongestMessage ? kLongestMessage : 0;
}

std::vector<std::string> MessageSplitter::Feed(std::string_view bytes) {
    pending_.append(bytes);
    std::vector<std::string> messages;
    std::string_view rest(pending_);
    while (!rest.empty()) {
        const std::size_t length = CompleteLength(rest);
        if (length == 0)
            break;
        messages.emplace_back(rest.substr(0, length));
        rest.remove_prefix(length);
    }
    pending_.erase(0, pending_.size() - rest.size());
    return messages;
}

std::string MessageSplitter::TakeRest() {
    return std::exchange(pending_, {});
}
