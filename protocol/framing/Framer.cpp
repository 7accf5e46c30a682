#include "protocol/framing/Framer.h"

#include "protocol/EightBytes.h"
#include "protocol/HexDigit.h"
#include "protocol/Rtcm3Frame.h"
#include "protocol/UbxFrame.h"
#include "protocol/framing/Rtcm3Scan.h"
#include "protocol/framing/UbxScan.h"

#include <algorithm>

namespace protocol {
namespace {

constexpr char kNmeaStart = '$';

std::uint8_t Byte(std::string_view data, std::size_t i) {
    return static_cast<std::uint8_t>(data[i]);
}

bool MayStartMessage(std::uint8_t byte) {
    return byte == kNmeaStart || byte == kUbxSync1 || byte == kRtcm3Preamble;
}

enum class Verdict { Message, Noise, NeedMore };

struct Scan {
    Verdict verdict = Verdict::Noise;
    std::size_t length = 0; // of the message, when verdict is Message
    MessageKind kind = MessageKind::Unframed;
    ChecksumState checksum = ChecksumState::None;
};

// The checksum state of a sentence whose body (between "$" and the line end)
// has bodyLength bytes, its last "*" at star (npos: none), and the XOR of the
// body bytes before that "*" in sum.
ChecksumState NmeaChecksum(std::string_view body, std::size_t star, std::uint8_t sum) {
    if (star == std::string_view::npos)
        return ChecksumState::None;
    if (star + 3 != body.size())
        return ChecksumState::Wrong;
    const int high = HexDigitValue(body[star + 1]);
    const int low = HexDigitValue(body[star + 2]);
    if (high < 0 || low < 0)
        return ChecksumState::Wrong;
    return sum == high * 16 + low ? ChecksumState::Right : ChecksumState::Wrong;
}

// The whole words of eight bytes from the start of text that hold plain
// sentence text only (printable, neither "$" nor "*"): how many bytes they
// are, their XOR added to sum. Most of a sentence needs no more care.
std::size_t PlainWords(std::string_view text, std::uint8_t& sum) {
    std::uint64_t folded = 0;
    std::size_t at = 0;
    for (; text.size() - at >= 8; at += 8) {
        const std::uint64_t word = EightBytes(text, at);
        if ((BytesBelow(word, 0x20) | BytesAbove(word, 0x7E) | BytesEqual(word, kNmeaStart) |
             BytesEqual(word, '*')) != 0)
            break;
        folded ^= word;
    }
    for (int shift = 32; shift >= 8; shift /= 2)
        folded ^= folded >> shift;
    sum ^= static_cast<std::uint8_t>(folded);
    return at;
}

// data starts with "$". One pass: checks the characters, finds the line end
// and sums the body for the checksum as it goes.
Scan ScanNmea(std::string_view data) {
    const std::size_t limit = std::min(data.size(), Framer::kMaxNmeaLength);
    std::uint8_t sum = 0;
    std::uint8_t sumBeforeStar = 0;
    std::size_t star = std::string_view::npos; // within the body
    for (std::size_t i = 1 + PlainWords(data.substr(1, limit - 1), sum); i < limit; ++i) {
        const std::uint8_t c = Byte(data, i);
        if (static_cast<std::uint8_t>(c - 0x20) < 0x5F && c != kNmeaStart) {
            if (c == '*') {
                star = i - 1;
                sumBeforeStar = sum;
            }
            sum ^= c;
            continue;
        }
        if (c == '\r') {
            if (i + 1 == data.size())
                return {Verdict::NeedMore};
            if (data[i + 1] == '\n')
                continue;
        }
        if (c != '\n')
            return {Verdict::Noise};
        const std::size_t bodyEnd = data[i - 1] == '\r' ? i - 1 : i;
        if (bodyEnd <= 1)
            return {Verdict::Noise};
        return {Verdict::Message, i + 1, MessageKind::Nmea,
                NmeaChecksum(data.substr(1, bodyEnd - 1), star, sumBeforeStar)};
    }
    return {data.size() >= Framer::kMaxNmeaLength ? Verdict::Noise : Verdict::NeedMore};
}

// A binary frame (UBX or RTCM 3) whose sync bytes are syncLength long.
Scan ScanBinary(std::string_view data, const FrameScan& scan, MessageKind kind,
                std::size_t syncLength) {
    if (scan.verdict == FrameScan::NeedMore)
        return {Verdict::NeedMore};
    if (scan.verdict == FrameScan::NotFrame)
        return {Verdict::Noise};
    if (scan.checksumRight)
        return {Verdict::Message, scan.length, kind, ChecksumState::Right};
    // Cut the broken frame where the next message may begin: its length may
    // be the damaged part.
    std::size_t end = syncLength;
    while (end < scan.length && !MayStartMessage(Byte(data, end)))
        ++end;
    return {Verdict::Message, end, kind, ChecksumState::Wrong};
}

Scan ScanMessage(std::string_view data) {
    switch (Byte(data, 0)) {
    case kNmeaStart:
        return ScanNmea(data);
    case kUbxSync1:
        return ScanBinary(data, ScanUbxFrame(data), MessageKind::Ubx, 2);
    default:
        return ScanBinary(data, ScanRtcm3Frame(data), MessageKind::Rtcm3, 1);
    }
}

} // namespace

void Framer::Feed(std::string_view bytes, const Sink& sink) {
    if (pending_.empty()) {
        const std::size_t decided = Frame(bytes, sink, false);
        pending_.assign(bytes.substr(decided));
    } else {
        pending_.append(bytes);
        const std::size_t decided = Frame(pending_, sink, false);
        pending_.erase(0, decided);
    }
}

std::vector<Message> Framer::Feed(std::string_view bytes) {
    std::vector<Message> messages;
    Feed(bytes, [&messages](Message&& message) { messages.push_back(std::move(message)); });
    return messages;
}

void Framer::Flush(const Sink& sink) {
    Frame(pending_, sink, true);
    EmitUnframed(sink);
    pending_.clear();
    offset_ = 0;
}

std::vector<Message> Framer::Flush() {
    std::vector<Message> messages;
    Flush([&messages](Message&& message) { messages.push_back(std::move(message)); });
    return messages;
}

std::size_t Framer::Frame(std::string_view data, const Sink& sink, bool endOfStream) {
    std::size_t pos = 0;
    std::size_t noiseStart = 0;
    while (pos < data.size()) {
        if (!MayStartMessage(Byte(data, pos))) {
            ++pos;
            continue;
        }
        const std::string_view rest = data.substr(pos);
        const Scan scan = ScanMessage(rest);
        if (scan.verdict == Verdict::NeedMore && !endOfStream)
            break;
        if (scan.verdict != Verdict::Message) {
            ++pos;
            continue;
        }
        if (pos > noiseStart || !unframed_.empty()) { // noise first, where there is any
            AddUnframed(data.substr(noiseStart, pos - noiseStart), offset_ + noiseStart, sink);
            EmitUnframed(sink);
        }
        Emit(scan.kind, rest.substr(0, scan.length), offset_ + pos, scan.checksum, sink);
        pos += scan.length;
        noiseStart = pos;
    }
    AddUnframed(data.substr(noiseStart, pos - noiseStart), offset_ + noiseStart, sink);
    offset_ += pos;
    return pos;
}

void Framer::AddUnframed(std::string_view bytes, std::uint64_t offset, const Sink& sink) {
    while (!bytes.empty()) {
        if (unframed_.empty())
            unframedOffset_ = offset;
        const std::size_t take = std::min(bytes.size(), kMaxUnframedRun - unframed_.size());
        unframed_.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        offset += take;
        if (unframed_.size() == kMaxUnframedRun)
            EmitUnframed(sink);
    }
}

void Framer::EmitUnframed(const Sink& sink) {
    if (unframed_.empty())
        return;
    Emit(MessageKind::Unframed, unframed_, unframedOffset_, ChecksumState::None, sink);
    unframed_.clear();
}

void Framer::Emit(MessageKind kind, std::string_view bytes, std::uint64_t offset,
                  ChecksumState checksum, const Sink& sink) {
    // One message object serves every message: a sink that does not keep
    // the message leaves its buffer for the next one, so framing allocates
    // only for the messages that are kept.
    outgoing_.Kind = kind;
    outgoing_.Bytes.assign(bytes);
    outgoing_.Offset = offset;
    outgoing_.Checksum = checksum;
    sink(std::move(outgoing_));
}

} // namespace protocol
