// UBX frames to fields and typed values, driven by the layouts of
// UbxLayouts.cpp. A frame is read only within its own bytes: a payload
// whose length no layout of its message has shows no fields; one of a
// version its layout does not know shows its payload in hex.

#include "protocol/UbxVocabulary.h"
#include "protocol/decoding/Decoder.h"
#include "protocol/decoding/FieldText.h"
#include "protocol/decoding/UbxFlagNames.h"
#include "protocol/decoding/UbxLayouts.h"

namespace protocol {
namespace {

constexpr std::size_t kHeader = 6;
constexpr std::size_t kChecksum = 2;

std::size_t FieldWidth(UbxType type) {
    switch (type) {
    case UbxType::U2:
    case UbxType::I2:
    case UbxType::X2:
        return 2;
    case UbxType::U4:
    case UbxType::I4:
    case UbxType::X4:
        return 4;
    default:
        return 1;
    }
}

bool IsFlags(UbxType type) {
    return type == UbxType::X1 || type == UbxType::X2 || type == UbxType::X4;
}

// A flag field shows its hex value and the names of its bits set:
// "0x83 (gnssFixOK, carrSoln fixed)".
Field ShowField(const UbxLayout& layout, const UbxPayload& payload, std::size_t base,
                const UbxField& spec, std::string name) {
    const std::size_t at = base + spec.Offset;
    if (spec.Type == UbxType::Text)
        return {std::move(name), PrintableText(payload.Bytes().substr(at, spec.Width)), ""};
    const std::int64_t raw = payload.Read(at, spec.Type);
    if (IsFlags(spec.Type)) {
        const auto bits = static_cast<std::uint64_t>(raw);
        std::string text = HexText(bits, static_cast<int>(2 * FieldWidth(spec.Type)));
        if (const std::string names = FlagNames(layout.Class, layout.Id, spec.Name, bits);
            !names.empty())
            text += " (" + names + ")";
        return {std::move(name), std::move(text), ""};
    }
    return {std::move(name), FixedText(static_cast<double>(raw) * spec.Scale, spec.Decimals),
            std::string(spec.Unit)};
}

bool Fits(const UbxLayout& layout, const UbxPayload& payload) {
    const std::size_t size = payload.Bytes().size();
    if (layout.BlockSize == 0)
        return size == layout.Length;
    if (size < layout.Length || (size - layout.Length) % layout.BlockSize != 0)
        return false;
    return layout.CountOffset < 0 ||
           static_cast<std::size_t>(payload.U1(static_cast<std::size_t>(layout.CountOffset))) *
                   layout.BlockSize ==
               size - layout.Length;
}

// The payload's version where its layout has one; else the layout's own.
std::int64_t VersionOf(const UbxLayout& layout, const UbxPayload& payload) {
    if (layout.VersionOffset < 0)
        return layout.Version;
    return payload.U1(static_cast<std::size_t>(layout.VersionOffset));
}

std::string LengthText(const UbxLayout& layout) {
    std::string text = std::to_string(layout.Length);
    if (layout.BlockSize > 0)
        text += " + " + std::to_string(layout.BlockSize) + " x n";
    return text;
}

void ShowLayout(const UbxLayout& layout, const UbxPayload& payload, Decoded& decoded,
                DecodeDetail detail) {
    if (layout.Typed)
        layout.Typed(payload, decoded);
    if (detail != DecodeDetail::Fields)
        return;
    for (const auto& spec : layout.Fields)
        decoded.Fields.push_back(ShowField(layout, payload, 0, spec, std::string(spec.Name)));
    if (!layout.BlockFields.empty()) {
        const std::size_t blocks = (payload.Bytes().size() - layout.Length) / layout.BlockSize;
        for (std::size_t block = 0; block < blocks; ++block) {
            const std::size_t base = layout.Length + block * layout.BlockSize;
            const std::string prefix =
                std::string(layout.BlockName) + " " + std::to_string(block + 1) + " ";
            for (const auto& spec : layout.BlockFields)
                decoded.Fields.push_back(
                    ShowField(layout, payload, base, spec, prefix + std::string(spec.Name)));
        }
    }
}

} // namespace

Decoded DecodeUbx(std::string_view frame, DecodeDetail detail) {
    Decoded decoded;
    if (frame.size() < kHeader + kChecksum) {
        decoded.Name = "UBX";
        decoded.Problem = "frame cut off after " + std::to_string(frame.size()) + " bytes";
        return decoded;
    }
    const auto ubxClass = static_cast<std::uint8_t>(frame[2]);
    const auto id = static_cast<std::uint8_t>(frame[3]);
    decoded.Name = UbxMessageName(ubxClass, id);
    const std::size_t length = static_cast<std::uint8_t>(frame[4]) |
                               (std::size_t{static_cast<std::uint8_t>(frame[5])} << 8);
    if (frame.size() != length + kHeader + kChecksum) {
        decoded.Problem = "frame of " + std::to_string(frame.size()) + " bytes, its length says " +
                          std::to_string(length + kHeader + kChecksum);
        return decoded;
    }
    const UbxPayload payload(frame.substr(kHeader, length));
    std::string lengths;
    for (const auto& layout : UbxLayouts()) {
        if (layout.Class != ubxClass || layout.Id != id)
            continue;
        if (!Fits(layout, payload)) {
            lengths += (lengths.empty() ? "" : " or ") + LengthText(layout);
            continue;
        }
        if (const std::int64_t version = VersionOf(layout, payload); version != layout.Version) {
            decoded.Problem = "version " + std::to_string(version) + "; " + decoded.Name +
                              " has version " + std::to_string(layout.Version);
            if (detail == DecodeDetail::Fields) // a layout unknown here: its bytes as sent
                decoded.Fields.push_back({"payload", HexBytes(payload.Bytes()), ""});
            return decoded;
        }
        ShowLayout(layout, payload, decoded, detail);
        return decoded;
    }
    if (!lengths.empty())
        decoded.Problem =
            "payload of " + std::to_string(length) + " bytes; " + decoded.Name + " has " + lengths;
    else if (detail == DecodeDetail::Fields)
        decoded.Fields.push_back({"payload", HexBytes(payload.Bytes()), ""});
    return decoded;
}

} // namespace protocol
