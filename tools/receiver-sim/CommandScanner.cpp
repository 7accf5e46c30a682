#include "tools/receiver-sim/CommandScanner.h"

#include "protocol/NmeaSentence.h"
#include "protocol/Rtcm3Frame.h"
#include "protocol/UbxFrame.h"
#include "protocol/framing/Rtcm3Scan.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr size_t kUbxHeader = 6;

bool IsStart(unsigned char byte) {
    return byte == '$' || byte == kUbxSync1 || byte == protocol::kRtcm3Preamble;
}

bool BreaksSentence(unsigned char byte) {
    return byte == '$' || byte < 0x20 || byte >= 0x80;
}
} // namespace

void CommandScanner::Feed(std::string_view bytes) {
    pending_ += bytes;
    for (;;) {
        const auto start = std::find_if(pending_.begin(), pending_.end(), [](char c) {
            return IsStart(static_cast<unsigned char>(c));
        });
        pending_.erase(pending_.begin(), start);
        if (pending_.empty())
            return;
        const auto first = static_cast<unsigned char>(pending_.front());
        const Step step = first == '$'                        ? ScanSentence()
                          : first == protocol::kRtcm3Preamble ? ScanRtcm()
                                                              : ScanFrame();
        if (step == Step::NeedMore)
            return;
    }
}

CommandScanner::Step CommandScanner::ScanSentence() {
    for (size_t k = 1; k < pending_.size(); ++k) {
        const unsigned char byte = static_cast<unsigned char>(pending_[k]);
        if (byte == '\n') {
            std::string_view line(pending_.data(), k);
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            const std::string sentence(line);
            pending_.erase(0, k + 1);
            handlers_.sentence(sentence);
            return Step::Consumed;
        }
        if (byte != '\r' && BreaksSentence(byte)) {
            pending_.erase(0, k);
            return Step::Consumed;
        }
        if (k >= kMaxSentenceLength) {
            pending_.erase(0, 1);
            return Step::Consumed;
        }
    }
    return Step::NeedMore;
}

CommandScanner::Step CommandScanner::ScanFrame() {
    if (pending_.size() < 2)
        return Step::NeedMore;
    if (static_cast<unsigned char>(pending_[1]) != kUbxSync2) {
        pending_.erase(0, 1);
        return Step::Consumed;
    }
    if (pending_.size() < kUbxHeader)
        return Step::NeedMore;
    const size_t length = static_cast<unsigned char>(pending_[4]) |
                          static_cast<size_t>(static_cast<unsigned char>(pending_[5])) << 8;
    if (length > kMaxUbxPayload) {
        pending_.erase(0, 1);
        return Step::Consumed;
    }
    if (pending_.size() < kUbxFrameOverhead + length)
        return Step::NeedMore;
    const TUbxChecksum sum = UbxChecksum(std::string_view(pending_).substr(2, 4 + length));
    const bool intact = sum.CK_A == static_cast<unsigned char>(pending_[kUbxHeader + length]) &&
                        sum.CK_B == static_cast<unsigned char>(pending_[kUbxHeader + length + 1]);
    if (!intact) {
        pending_.erase(0, 1);
        return Step::Consumed;
    }
    UbxMessage message{static_cast<std::uint8_t>(pending_[2]),
                       static_cast<std::uint8_t>(pending_[3]), pending_.substr(kUbxHeader, length)};
    pending_.erase(0, kUbxFrameOverhead + length);
    handlers_.frame(message);
    return Step::Consumed;
}

CommandScanner::Step CommandScanner::ScanRtcm() {
    const protocol::FrameScan scan = protocol::ScanRtcm3Frame(pending_);
    if (scan.verdict == protocol::FrameScan::NeedMore)
        return Step::NeedMore;
    if (scan.verdict == protocol::FrameScan::Frame) {
        const std::string frame = pending_.substr(0, scan.length);
        pending_.erase(0, scan.checksumRight ? scan.length : 1);
        if (handlers_.rtcm)
            handlers_.rtcm(frame, scan.checksumRight);
        return Step::Consumed;
    }
    pending_.erase(0, 1);
    return Step::Consumed;
}

std::string_view CheckedSentenceBody(std::string_view line) {
    if (line.size() < 4 || line.front() != '$' || line[line.size() - 3] != '*')
        return {};
    const std::string_view framed = line.substr(0, line.size() - 2);
    std::string expected = AppendNmeaChecksum(framed);
    std::string received(line);
    std::transform(received.end() - 2, received.end(), received.end() - 2,
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (received != expected)
        return {};
    return line.substr(1, line.size() - 4);
}
