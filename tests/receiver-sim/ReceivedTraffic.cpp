#include "tests/receiver-sim/ReceivedTraffic.h"

#include <cstdio>

namespace {
bool SentenceIntact(std::string_view s) {
    if (s.size() < 4 || s[s.size() - 3] != '*')
        return false;
    unsigned sum = 0;
    for (char c : s.substr(1, s.size() - 4))
        sum ^= static_cast<unsigned char>(c);
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", sum);
    return s.substr(s.size() - 2) == digits;
}

bool FrameIntact(std::string_view f) {
    unsigned a = 0, b = 0;
    for (char c : f.substr(2, f.size() - 4)) {
        a = (a + static_cast<unsigned char>(c)) & 0xFF;
        b = (b + a) & 0xFF;
    }
    return static_cast<unsigned char>(f[f.size() - 2]) == a &&
           static_cast<unsigned char>(f[f.size() - 1]) == b;
}
} // namespace

ReceivedTraffic SplitTraffic(std::string_view bytes) {
    ReceivedTraffic traffic;
    size_t at = 0;
    while (at < bytes.size()) {
        const std::string_view rest = bytes.substr(at);
        if (rest[0] == '$') {
            const size_t end = rest.find("\r\n");
            if (end == std::string_view::npos) {
                traffic.unfinished = rest;
                break;
            }
            const std::string sentence(rest.substr(0, end));
            if (SentenceIntact(sentence))
                traffic.sentences.push_back(sentence);
            else
                traffic.faults.push_back("bad sentence " + sentence);
            at += end + 2;
        } else if (rest.starts_with("\xB5\x62")) {
            if (rest.size() < 6) {
                traffic.unfinished = rest;
                break;
            }
            const size_t length = static_cast<unsigned char>(rest[4]) |
                                  static_cast<size_t>(static_cast<unsigned char>(rest[5])) << 8;
            if (rest.size() < length + 8) {
                traffic.unfinished = rest;
                break;
            }
            const std::string frame(rest.substr(0, length + 8));
            if (FrameIntact(frame))
                traffic.frames.push_back(frame);
            else
                traffic.faults.push_back("bad frame " + Hex(frame));
            at += length + 8;
        } else {
            traffic.faults.push_back("stray byte " + Hex(rest.substr(0, 1)));
            ++at;
        }
    }
    return traffic;
}

std::vector<std::string> ReceivedTraffic::SentencesStartingWith(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const std::string& s : sentences)
        if (s.starts_with(prefix))
            found.push_back(s);
    return found;
}

std::string FramePayload(const std::string& frame) {
    return frame.substr(6, frame.size() - 8);
}

std::string Hex(std::string_view bytes) {
    std::string text;
    char digits[4];
    for (char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", static_cast<unsigned char>(c));
        text += digits;
    }
    if (!text.empty())
        text.pop_back();
    return text;
}
