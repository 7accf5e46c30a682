#include "protocol/ReceiveText.h"

#include "protocol/ReplaceControlChars.h"
#include "protocol/UbxFrame.h"
#include "protocol/framing/UbxScan.h"

#include <algorithm>

namespace {
// A NUL cuts the text like the other control bytes instead of ending it.
constexpr char kNulAsBlank = ' ';

// Finds the bytes that need a look, NUL and the first UBX sync byte, at
// memchr's speed: each is searched for on its own, and the farther find is
// kept until the scan passes it, so the whole chunk is read about twice.
// (A search for either byte in one pass tests every byte against the set by
// a call of its own, which costs more than the rest of the filter.)
class TSpecialBytes {
public:
    explicit TSpecialBytes(std::string_view data)
        : data_(data), nul_(Search('\0', 0)), sync_(Search(static_cast<char>(kUbxSync1), 0)) {}

    // The next NUL or sync byte at or after from; the data's size if none.
    std::size_t Next(std::size_t from) {
        if (nul_ < from)
            nul_ = Search('\0', from);
        if (sync_ < from)
            sync_ = Search(static_cast<char>(kUbxSync1), from);
        return std::min(nul_, sync_);
    }

private:
    // The data's size when there is none.
    std::size_t Search(char byte, std::size_t from) const {
        return std::min(data_.find(byte, from), data_.size());
    }

    std::string_view data_;
    std::size_t nul_;
    std::size_t sync_;
};
} // namespace

std::string TReceiveTextFilter::Text(std::string_view chunk) {
    const std::size_t carried = partialFrame_.size();
    std::string joined;
    std::string_view data = chunk;
    if (carried > 0) {
        joined = std::move(partialFrame_) + std::string(chunk);
        data = joined;
    }
    partialFrame_.clear();
    std::string text;
    text.reserve(chunk.size());
    // Appends data[from, to) less the carried bytes, which were left out of
    // the previous chunk's text and stay out.
    const auto keep = [&](std::size_t from, std::size_t to) {
        from = std::max(from, carried);
        if (from < to)
            text.append(data.substr(from, to - from));
    };
    TSpecialBytes specials(data);
    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::size_t special = specials.Next(pos);
        keep(pos, special);
        pos = special;
        if (pos == data.size())
            break;
        if (data[pos] == '\0') {
            if (pos >= carried)
                text += kNulAsBlank;
            ++pos;
            continue;
        }
        const protocol::UbxScan scan = protocol::ScanUbxFrame(data.substr(pos));
        // A frame is awaited across one chunk boundary only, so a stray
        // header hides at most the end of one chunk.
        if (scan.verdict == protocol::UbxScan::NeedMore && pos >= carried) {
            partialFrame_.assign(data.substr(pos));
            break;
        }
        if (scan.verdict == protocol::UbxScan::Frame && scan.checksumRight) {
            pos += scan.length;
            continue;
        }
        keep(pos, pos + 1);
        ++pos;
    }
    return text;
}

std::string OneLine(std::string line) {
    // Two plain searches: one for either byte calls a set lookup per byte.
    if (line.find('\r') == std::string::npos && line.find('\n') == std::string::npos)
        return line;
    return ReplaceControlChars(line);
}
