#include "protocol/configfiles/FrameFile.h"

#include "protocol/UbxVocabulary.h"
#include "protocol/commands/HexBytes.h"
#include "protocol/configfiles/Blanks.h"
#include "protocol/configkeys/ConfigKeys.h"

#include <cstdio>

namespace ubx {
namespace {

constexpr std::string_view kSeparator = " - ";
constexpr std::size_t kHeaderBytes = 4; // class, id, length

std::string HexByte(std::uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

std::size_t LengthAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return bytes[offset] | std::size_t{bytes[offset + 1]} << 8;
}

// Class, id, length and payload, checked against each other; the sync
// characters and the checksum checked and dropped when the line has them.
std::vector<std::uint8_t> FrameBody(std::vector<std::uint8_t> bytes) {
    const bool synced = bytes.size() >= 2 && bytes[0] == kUbxSync1 && bytes[1] == kUbxSync2;
    if (synced) {
        if (bytes.size() < kUbxFrameOverhead)
            throw EConfigError("the frame is cut short: it needs at least sync, class, id, length "
                               "and checksum");
        const std::span<const std::uint8_t> covered(bytes.data() + 2, bytes.size() - 4);
        if (UbxChecksum(covered) != TUbxChecksum{bytes[bytes.size() - 2], bytes.back()})
            throw EConfigError("checksum wrong");
        bytes = std::vector<std::uint8_t>(covered.begin(), covered.end());
    }
    if (bytes.size() < kHeaderBytes)
        throw EConfigError("the frame is cut short: it needs at least class, id and two length "
                           "bytes");
    const std::size_t length = LengthAt(bytes, 2);
    if (length != bytes.size() - kHeaderBytes)
        throw EConfigError("the length bytes give " + std::to_string(length) +
                           " payload bytes, the line holds " +
                           std::to_string(bytes.size() - kHeaderBytes));
    return bytes;
}

} // namespace

std::string WriteFrameFile(std::span<const TUBXPacket> frames) {
    std::string text;
    for (const TUBXPacket& frame : frames) {
        const TBufToSend bytes = BuildUbxFrame(frame);
        text += UbxMessageName(frame.pkClass, frame.ID) + std::string(kSeparator);
        for (std::size_t index = 2; index + 2 < bytes.size(); ++index)
            text += (index == 2 ? "" : " ") + HexByte(bytes[index]);
        text += "\n";
    }
    return text;
}

TNamedFrame ReadFrameLine(std::string_view line) {
    const std::size_t separator = line.starts_with("- ") ? 0 : line.find(kSeparator);
    const std::string name(TrimBlanks(line.substr(0, separator)));
    if (name.empty() || separator == std::string_view::npos)
        throw EConfigError("no message name before \" - \"");
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ParseHexBytes(line.substr(separator + kSeparator.size()),
                              std::size_t{0xFFFF} + kUbxFrameOverhead);
    } catch (const EHexBytesError& error) {
        throw EConfigError(error.what());
    }
    bytes = FrameBody(std::move(bytes));
    const std::uint8_t ubxClass = bytes[0];
    const std::uint8_t id = bytes[1];
    // A name the vocabulary does not know is taken on trust: the bytes decide.
    const TUbxMessageType* named = FindUbxMessageType(name);
    if (named && (named->Class != ubxClass || named->Id != id))
        throw EConfigError("the name " + name + " does not match the frame's class and id (" +
                           UbxMessageName(ubxClass, id) + ")");
    const TUbxMessageType* known = FindUbxMessageType(ubxClass, id);
    return {known ? std::string(known->Name) : name,
            MakeUbxPacket(ubxClass, id, TPayload(bytes.begin() + kHeaderBytes, bytes.end()))};
}

} // namespace ubx
