// Fuzz target: every protocol function must take any bytes, return without
// a crash or a sanitizer report, throw only its own documented errors, and
// keep its output within a fixed multiple of its input. The framer must cut
// any stream the same way whatever the pieces, within bounded state; the
// decoders must read no byte past a message (each is decoded from a buffer
// of exactly its size, where the address sanitizer sees every overrun).

#include "protocol/ByteList.h"
#include "protocol/NmeaSentence.h"
#include "protocol/ReceiveView.h"
#include "protocol/Rtcm3Frame.h"
#include "protocol/TransmitEcho.h"
#include "protocol/UbxFrame.h"
#include "protocol/decoding/Decoder.h"
#include "protocol/decoding/UbxLayouts.h"
#include "protocol/framing/Framer.h"
#include "protocol/state/ReceiverState.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxCharsPerByte = 5; // "<NUL>" is the widest rendering of one byte

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "protocol invariant broken: %s\n", what);
        std::abort();
    }
}

void CheckLines(const TLines& lines, std::size_t inputSize, std::size_t charsPerByte,
                const char* what) {
    std::size_t total = 0;
    for (const auto& line : lines)
        total += line.size();
    Require(total <= charsPerByte * inputSize, what);
    Require(lines.size() <= inputSize + 1, what);
}

void CheckViews(const std::string& chunk) {
    for (int index = 0; index <= 5; ++index) {
        const auto mode = static_cast<ViewMode>(index);
        const auto lines = RenderChunk(chunk, mode);
        Require(lines.has_value() == (index < 4), "only the four text views render");
        if (lines)
            CheckLines(*lines, chunk.size(), kMaxCharsPerByte, "view output bounded");
    }
    const std::string watchText = chunk.substr(0, 8);
    for (ViewMode mode : {ViewMode::vmNMEA, ViewMode::vmUBX}) {
        const TChunkDisplay display = DecodeChunk(chunk, mode, watchText, watchText);
        const std::size_t textLines = RenderChunk(chunk, ViewMode::vmNMEA)->size();
        Require(display.PubxWatchLines.size() <= textLines, "PUBX watch lines bounded");
        Require(display.NmeaWatchLines.size() <= textLines, "NMEA watch lines bounded");
    }
}

void CheckSplit(const std::string& text) {
    for (char separator : {'\n', '|', text.empty() ? '#' : text.front()})
        CheckLines(DelimitedSplit(text, separator), text.size(), 1, "split output bounded");
}

void CheckByteList(const std::string& text) {
    try {
        Require(ParseByteList(text).size() <= text.size(), "byte list bounded");
    } catch (const EByteListError&) {
    }
}

void CheckSentencesAndFrames(const std::string& bytes) {
    Require(FormatHexBytes(bytes).size() == 3 * bytes.size(), "three characters per byte");
    Require(AppendNmeaChecksum(bytes).size() == bytes.size() + 2, "two checksum digits");
    try {
        BuildPubx40(bytes, 1, 0, 1, 0, 1);
        Require(bytes.size() >= 3, "short selection refused");
    } catch (const EPubxCommandError&) {
        Require(bytes.size() < 3, "long selection accepted");
    }
    if (bytes.size() >= 2) {
        const TPayload payload(bytes.begin() + 2, bytes.end());
        const TBufToSend frame = BuildUbxFrame(MakeUbxPacket(
            static_cast<std::uint8_t>(bytes[0]), static_cast<std::uint8_t>(bytes[1]), payload));
        Require(frame.size() == payload.size() + kUbxFrameOverhead, "frame size");
        const auto sum =
            UbxChecksum(std::span<const std::uint8_t>(frame).subspan(2, frame.size() - 4));
        Require(sum.CK_A == frame[frame.size() - 2] && sum.CK_B == frame.back(), "checksum");
    }
}

using protocol::Framer;
using protocol::Message;
using protocol::MessageKind;

// Decodes bytes held in a heap block of exactly their size.
protocol::Decoded DecodeExactly(const std::string& bytes, MessageKind kind) {
    const auto block = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block.get());
    const std::string_view view(block.get(), bytes.size());
    switch (kind) {
    case MessageKind::Ubx:
        return protocol::DecodeUbx(view);
    case MessageKind::Rtcm3:
        return protocol::DecodeRtcm3(view);
    default:
        return protocol::DecodeNmea(view);
    }
}

std::vector<Message> FrameInPieces(const std::string& stream, std::size_t piece) {
    Framer framer;
    std::vector<Message> messages;
    const auto keep = [&messages](Message&& m) { messages.push_back(std::move(m)); };
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        framer.Feed(std::string_view(stream).substr(at, piece), keep);
        Require(framer.Pending() <=
                    Framer::kMaxUbxPayload + kUbxFrameOverhead + Framer::kMaxUnframedRun,
                "framer state bounded");
    }
    framer.Flush(keep);
    return messages;
}

void CheckFramerDecodersAndState(const std::string& stream) {
    const std::vector<Message> whole = FrameInPieces(stream, stream.size() + 1);
    const std::size_t piece = stream.empty() ? 1 : 1 + static_cast<unsigned char>(stream[0]) % 7;
    Require(FrameInPieces(stream, piece) == whole, "pieces frame like the whole");
    std::uint64_t offset = 0;
    protocol::ReceiverState state;
    for (const Message& m : whole) {
        Require(m.Offset == offset && !m.Bytes.empty(), "messages cover the stream in order");
        Require(stream.compare(offset, m.Bytes.size(), m.Bytes) == 0, "message bytes as received");
        offset += m.Bytes.size();
        if (m.Kind != MessageKind::Unframed && m.Checksum != protocol::ChecksumState::Wrong)
            state.Fold(m, DecodeExactly(m.Bytes, m.Kind), 0);
        else
            state.Fold(m, 0);
    }
    Require(offset == stream.size(), "every byte reported");
    const protocol::ReceiverSnapshot snapshot = state.Snapshot(1);
    Require(snapshot.Satellites.size() <= protocol::ReceiverState::kMaxSatellites,
            "satellites bounded");
    Require(snapshot.Messages.size() <= protocol::ReceiverState::kMaxMessageTypes + 1,
            "message types bounded");
}

// The input as the payload of a message the decoders know, with a length
// its layout has, and as the fields of an NMEA sentence.
void CheckKnownMessages(const std::string& input) {
    if (input.size() < 2)
        return;
    const auto layouts = protocol::UbxLayouts();
    const protocol::UbxLayout& layout =
        layouts[static_cast<unsigned char>(input[0]) % layouts.size()];
    std::string payload = input.substr(2);
    const std::size_t blocks = layout.BlockSize ? static_cast<unsigned char>(input[1]) % 40 : 0;
    payload.resize(layout.Length + blocks * layout.BlockSize);
    if (layout.CountOffset >= 0 && payload.size() > std::size_t(layout.CountOffset))
        payload[static_cast<std::size_t>(layout.CountOffset)] = static_cast<char>(blocks);
    const TBufToSend frame = BuildUbxFrame(
        MakeUbxPacket(layout.Class, layout.Id, TPayload(payload.begin(), payload.end())));
    const protocol::Decoded ubx = DecodeExactly(ToByteString(frame), MessageKind::Ubx);
    Require(ubx.Fields.size() <= 16 * (payload.size() + 2), "UBX fields bounded");

    std::string body;
    for (char c : input)
        body += (c >= 0x20 && c <= 0x7E && c != '$' && c != '*') ? c : ',';
    const std::string sentence = AppendNmeaChecksum("$" + body + "*") + "\r\n";
    const protocol::Decoded nmea = DecodeExactly(sentence, MessageKind::Nmea);
    Require(nmea.Fields.size() <= sentence.size(), "NMEA fields bounded");

    // The rest of the input as the payload of an RTCM 3 type the decoder reads.
    constexpr int kRtcmTypes[] = {1005, 1006, 1007, 1008, 1033, 1019, 1020, 1042, 1044, 1045,
                                  1046, 1230, 1074, 1077, 1084, 1097, 1101, 1115, 1126, 1133};
    std::string rtcmPayload = input.substr(1, protocol::kMaxRtcm3Payload);
    rtcmPayload.resize(std::max<std::size_t>(rtcmPayload.size(), 2));
    const int type = kRtcmTypes[static_cast<unsigned char>(input[0]) % std::size(kRtcmTypes)];
    rtcmPayload[0] = static_cast<char>(type >> 4);
    rtcmPayload[1] = static_cast<char>((type << 4) | (rtcmPayload[1] & 0x0F));
    const std::string rtcm = protocol::BuildRtcm3Frame(rtcmPayload);
    Require(DecodeExactly(rtcm, MessageKind::Rtcm3).Fields.size() <= 8 * rtcm.size(),
            "RTCM 3 fields bounded");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckViews(input);
    CheckSplit(input);
    CheckByteList(input);
    CheckSentencesAndFrames(input);
    CheckFramerDecodersAndState(input);
    CheckKnownMessages(input);
    return 0;
}
