// Fuzz target: every protocol function must take any bytes, return without
// a crash or a sanitizer report, throw only its own documented errors, and
// keep its output within a fixed multiple of its input.

#include "protocol/ByteList.h"
#include "protocol/NmeaSentence.h"
#include "protocol/ReceiveView.h"
#include "protocol/TransmitEcho.h"
#include "protocol/UbxFrame.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
        const TLines split = DelimitedSplit(chunk, '\n');
        Require(display.PubxWatchLines.size() <= split.size(), "PUBX watch lines bounded");
        Require(display.NmeaWatchLines.size() <= split.size(), "NMEA watch lines bounded");
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckViews(input);
    CheckSplit(input);
    CheckByteList(input);
    CheckSentencesAndFrames(input);
    return 0;
}
