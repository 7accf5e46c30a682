#include "protocol/ReceiveText.h"

#include "protocol/ReplaceControlChars.h"
#include "protocol/Rtcm3Frame.h"
#include "protocol/UbxFrame.h"
#include "protocol/framing/Rtcm3Scan.h"
#include "protocol/framing/UbxScan.h"

#include <algorithm>
#include <utility>

namespace {
// The first byte of a UBX or an RTCM 3 frame.
constexpr char kFrameStarts[] = {static_cast<char>(kUbxSync1),
                                 static_cast<char>(protocol::kRtcm3Preamble)};

protocol::FrameScan ScanFrame(std::string_view data) {
    return static_cast<std::uint8_t>(data[0]) == kUbxSync1 ? protocol::ScanUbxFrame(data)
                                                           : protocol::ScanRtcm3Frame(data);
}

// Where the line held back starts: after the last line end, when no more
// than kLongestHeldLine bytes follow it (so the search looks back no farther);
// at 0 when the text has no line end but is that short; else at the end.
std::size_t HeldLineStart(std::string_view text) {
    const std::size_t from = text.size() - std::min(text.size(), kLongestHeldLine + 1);
    const std::size_t lineEnd = text.substr(from).find_last_of("\r\n");
    if (lineEnd != std::string_view::npos)
        return from + lineEnd + 1;
    return text.size() <= kLongestHeldLine ? 0 : text.size();
}
} // namespace

std::string TReceiveTextFilter::Text(std::string_view chunk) {
    // A held frame start is joined with the chunk and scanned again from its
    // sync byte: it either completes or keeps waiting, or turns out to be text.
    std::string joined;
    std::string_view data = chunk;
    if (!heldFrame_.empty()) {
        joined = std::move(heldFrame_);
        joined.append(chunk);
        data = joined;
    }
    heldFrame_.clear();
    std::string text = std::move(heldLine_);
    heldLine_.clear();
    text.reserve(text.size() + data.size());
    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::size_t sync = std::min(
            data.find_first_of(std::string_view(kFrameStarts, std::size(kFrameStarts)), pos),
            data.size());
        text.append(data.substr(pos, sync - pos));
        if (sync == data.size())
            break;
        const protocol::FrameScan scan = ScanFrame(data.substr(sync));
        if (scan.verdict == protocol::FrameScan::NeedMore) {
            // Taken back whole when nothing came before it: a long frame
            // arriving in small chunks is not copied again with each.
            if (sync == 0 && !joined.empty())
                heldFrame_ = std::move(joined);
            else
                heldFrame_.assign(data.substr(sync));
            break;
        }
        if (scan.verdict == protocol::FrameScan::Frame && scan.checksumRight) {
            pos = sync + scan.length;
            continue;
        }
        text += data[sync];
        pos = sync + 1;
    }
    const std::size_t heldStart = HeldLineStart(text);
    heldLine_.assign(text, heldStart);
    text.resize(heldStart);
    return text;
}

std::string TReceiveTextFilter::ReleaseLine() {
    return std::exchange(heldLine_, {});
}

std::string OneLine(std::string line) {
    // Plain searches: one for any of the bytes calls a set lookup per byte.
    if (line.find('\r') == std::string::npos && line.find('\n') == std::string::npos &&
        line.find('\0') == std::string::npos)
        return line;
    return ReplaceControlChars(line);
}
