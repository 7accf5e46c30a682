#include "protocol/framing/Framer.h"

#include "protocol/UbxFrame.h"

#include <algorithm>

namespace protocol {
namespace {

constexpr char kNmeaStart = '$';
constexpr std::size_t kUbxHeader = 6; // sync pair, class, id, length

std::uint8_t Byte(std::string_view data, std::size_t i) {
    return static_cast<std::uint8_t>(data[i]);
}

bool MayStartMessage(std::uint8_t byte) {
    return byte == kNmeaStart || byte == kUbxSync1;
}

enum class Verdict { Message, Noise, NeedMore };

struct Scan {
    Verdict verdict = Verdict::Noise;
    std::size_t length = 0; // of the message, when verdict is Message
    MessageKind kind = MessageKind::Unframed;
    ChecksumState checksum = ChecksumState::None;
};

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The checksum state of an NMEA body (the text between "$" and the line end).
ChecksumState NmeaChecksum(std::string_view body) {
    const std::size_t star = body.rfind('*');
    if (star == std::string_view::npos)
        return ChecksumState::None;
    if (star + 3 != body.size())
        return ChecksumState::Wrong;
    const int high = HexValue(body[star + 1]);
    const int low = HexValue(body[star + 2]);
    if (high < 0 || low < 0)
        return ChecksumState::Wrong;
    std::uint8_t sum = 0;
    for (char c : body.substr(0, star))
        sum ^= static_cast<std::uint8_t>(c);
    return sum == high * 16 + low ? ChecksumState::Right : ChecksumState::Wrong;
}

// data starts with "$".
Scan ScanNmea(std::string_view data) {
    const std::size_t limit = std::min(data.size(), Framer::kMaxNmeaLength);
    for (std::size_t i = 1; i < limit; ++i) {
        const std::uint8_t c = Byte(data, i);
        if (c >= 0x20 && c <= 0x7E && c != kNmeaStart)
            continue;
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
                NmeaChecksum(data.substr(1, bodyEnd - 1))};
    }
    return {data.size() >= Framer::kMaxNmeaLength ? Verdict::Noise : Verdict::NeedMore};
}

// data starts with the first UBX sync byte.
Scan ScanUbx(std::string_view data) {
    if (data.size() < 2)
        return {Verdict::NeedMore};
    if (Byte(data, 1) != kUbxSync2)
        return {Verdict::Noise};
    if (data.size() < kUbxHeader)
        return {Verdict::NeedMore};
    const std::size_t payload = Byte(data, 4) | (std::size_t{Byte(data, 5)} << 8);
    if (payload > Framer::kMaxUbxPayload)
        return {Verdict::Noise};
    const std::size_t total = payload + kUbxFrameOverhead;
    if (data.size() < total)
        return {Verdict::NeedMore};
    const TUbxChecksum sum = UbxChecksum(data.substr(2, payload + 4));
    if (sum.CK_A == Byte(data, total - 2) && sum.CK_B == Byte(data, total - 1))
        return {Verdict::Message, total, MessageKind::Ubx, ChecksumState::Right};
    // Cut the broken frame where the next message may begin: its length may
    // be the damaged part.
    std::size_t end = kUbxHeader;
    while (end < total && !MayStartMessage(Byte(data, end)))
        ++end;
    return {Verdict::Message, end, MessageKind::Ubx, ChecksumState::Wrong};
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
        const Scan scan = rest[0] == kNmeaStart ? ScanNmea(rest) : ScanUbx(rest);
        if (scan.verdict == Verdict::NeedMore && !endOfStream)
            break;
        if (scan.verdict != Verdict::Message) {
            ++pos;
            continue;
        }
        AddUnframed(data.substr(noiseStart, pos - noiseStart), offset_ + noiseStart, sink);
        EmitUnframed(sink);
        sink(Message{scan.kind, std::string(rest.substr(0, scan.length)), offset_ + pos,
                     scan.checksum});
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
    sink(
        Message{MessageKind::Unframed, std::move(unframed_), unframedOffset_, ChecksumState::None});
    unframed_.clear();
}

} // namespace protocol
