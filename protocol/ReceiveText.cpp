#include "protocol/ReceiveText.h"

#include "protocol/UbxFrame.h"
#include "protocol/framing/UbxScan.h"
#include "serial/ReplaceControlChars.h"

#include <algorithm>

namespace {
// The bytes that need a look: NUL and the first UBX sync byte.
constexpr std::string_view kSpecialBytes("\0\xB5", 2);
// A NUL cuts the text like the other control bytes instead of ending it.
constexpr char kNulAsBlank = ' ';
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
    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::size_t special = std::min(data.find_first_of(kSpecialBytes, pos), data.size());
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
    if (line.find_first_of("\r\n") == std::string::npos)
        return line;
    return ReplaceControlChars(line);
}
