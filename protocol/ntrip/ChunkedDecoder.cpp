#include "protocol/ntrip/ChunkedDecoder.h"

#include "protocol/HexDigit.h"

#include <algorithm>

namespace ntrip {
namespace {
// A size line, a chunk's end or a trailer line longer than this is no
// chunked encoding.
constexpr std::size_t kMaxLine = 1024;
// A chunk larger than this (16 hexadecimal digits overflow) is refused.
constexpr std::uint64_t kMaxChunk = std::uint64_t{1} << 40;
} // namespace

bool ChunkedDecoder::Fail(const std::string& error) {
    state_ = State::Broken;
    error_ = error;
    return false;
}

bool ChunkedDecoder::Feed(std::string_view bytes, std::string& out) {
    while (!bytes.empty()) {
        switch (state_) {
        case State::Broken:
            return false;
        case State::Done:
            return true; // what follows the body belongs to no chunk
        case State::Data: {
            const std::size_t take =
                static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, bytes.size()));
            out.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            remaining_ -= take;
            if (remaining_ == 0)
                state_ = State::DataEnd;
            break;
        }
        default: {
            const std::size_t end = bytes.find('\n');
            line_.append(bytes.substr(0, end));
            if (line_.size() > kMaxLine)
                return Fail("a chunk line runs past " + std::to_string(kMaxLine) + " bytes");
            if (end == std::string_view::npos)
                return true;
            bytes.remove_prefix(end + 1);
            if (!line_.empty() && line_.back() == '\r')
                line_.pop_back();
            if (!LineEnded())
                return false;
            line_.clear();
        }
        }
    }
    return state_ != State::Broken;
}

bool ChunkedDecoder::LineEnded() {
    switch (state_) {
    case State::SizeLine: {
        std::uint64_t size = 0;
        std::size_t digits = 0;
        for (; digits < line_.size(); ++digits) {
            const int value = HexDigitValue(line_[digits]);
            if (value < 0)
                break;
            size = size * 16 + static_cast<std::uint64_t>(value);
            if (size > kMaxChunk)
                return Fail("a chunk size is too large");
        }
        const char after = digits < line_.size() ? line_[digits] : ';';
        if (digits == 0 || (after != ';' && after != ' ' && after != '\t'))
            return Fail("\"" + line_ + "\" is no chunk size");
        remaining_ = size;
        state_ = size == 0 ? State::Trailer : State::Data;
        return true;
    }
    case State::DataEnd:
        if (!line_.empty())
            return Fail("a chunk runs past its size");
        state_ = State::SizeLine;
        return true;
    case State::Trailer:
        if (line_.empty())
            state_ = State::Done;
        return true;
    default:
        return true;
    }
}

} // namespace ntrip
