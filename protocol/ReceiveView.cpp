#include "protocol/ReceiveView.h"

#include "protocol/DelimitedItems.h"
#include "protocol/ReceiveText.h"
#include "protocol/ReplaceControlChars.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kNmeaKeyChars = 3;
constexpr std::size_t kPubxKeyChars = 5;

// Replaces every non-overlapping occurrence of from, left to right, without
// looking at the replacement again.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(from, pos)) != std::string_view::npos;
         pos = hit + from.size()) {
        result.append(text.substr(pos, hit - pos));
        result.append(to);
    }
    result.append(text.substr(pos));
    return result;
}

TLines AsciiView(std::string_view chunk) {
    return DelimitedSplit(
        ReplaceAll(ReplaceControlChars(std::string(chunk)), "<CR><LF>", "<CR><LF>|"), '|');
}

// One byte of the Decimal or Hexa view: its number and the "-" after it.
struct TByteToken {
    std::array<char, 4> text{};
    std::uint8_t length = 0;
};
using TTokenTable = std::array<TByteToken, 256>;

TTokenTable MakeTokens(unsigned base) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    TTokenTable tokens;
    for (unsigned value = 0; value < 256; ++value) {
        std::string number;
        for (unsigned rest = value; number.empty() || rest > 0; rest /= base)
            number.insert(number.begin(), kDigits[rest % base]);
        number += '-';
        TByteToken& token = tokens[value];
        std::memcpy(token.text.data(), number.data(), number.size());
        token.length = static_cast<std::uint8_t>(number.size());
    }
    return tokens;
}

// The bytes as numbers, each followed by "-", with every "-13-10-" ("-D-A-")
// replaced by a line cut, in one pass: a CR LF cuts the line when the "-"
// before it is still there, that is unless it begins the chunk or directly
// follows the previous cut; the cut takes that "-" and the one after LF. A
// chunk ending in a cut ends with an empty line.
TLines NumberedView(std::string_view chunk, const TTokenTable& tokens) {
    TLines lines;
    if (chunk.empty())
        return lines;
    const auto text = std::make_unique_for_overwrite<char[]>(chunk.size() * 4);
    char* out = text.get();
    char* lineStart = out;
    bool dashBefore = false;
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        if (dashBefore && chunk[i] == '\r' && i + 1 < chunk.size() && chunk[i + 1] == '\n') {
            lines.emplace_back(lineStart, out - 1);
            lineStart = out;
            dashBefore = false;
            ++i;
            continue;
        }
        const TByteToken& token = tokens[static_cast<unsigned char>(chunk[i])];
        std::memcpy(out, token.text.data(), token.text.size());
        out += token.length;
        dashBefore = true;
    }
    lines.emplace_back(lineStart, out);
    return lines;
}

TLines DecimalView(std::string_view chunk) {
    static const TTokenTable kDecimal = MakeTokens(10);
    return NumberedView(chunk, kDecimal);
}

TLines HexaView(std::string_view chunk) {
    static const TTokenTable kHex = MakeTokens(16);
    return NumberedView(chunk, kHex);
}

// Lines as the panes show them: each one line.
TLines AsOneLines(TLines lines) {
    for (auto& line : lines)
        line = OneLine(std::move(line));
    return lines;
}

// The lines of the NMEA text path: cut at LF, blanks and control bytes; a
// NUL is one of them, not the text's end.
TLines TextLines(std::string_view text) {
    TLines lines;
    ForEachDelimitedItem(text, '\n', [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

// The text of a chunk by itself, with the end of its last line.
std::string ChunkText(std::string_view chunk) {
    TReceiveTextFilter filter;
    std::string text = filter.Text(chunk);
    return text + filter.ReleaseLine();
}

TLines NmeaView(std::string_view chunk) {
    return AsOneLines(TextLines(ChunkText(chunk)));
}

std::string KeyOrOff(std::string_view prefix, std::string_view watchText, std::size_t chars) {
    if (watchText.size() < chars)
        return {};
    return std::string(prefix) + std::string(watchText.substr(0, chars));
}

} // namespace

std::optional<TLines> RenderChunk(std::string_view chunk, ViewMode mode) {
    switch (mode) {
    case ViewMode::vmASCII:
        return AsciiView(chunk);
    case ViewMode::vmDecimal:
        return DecimalView(chunk);
    case ViewMode::vmHexa:
        return HexaView(chunk);
    case ViewMode::vmNMEA:
        return NmeaView(chunk);
    case ViewMode::vmUBX:
        break;
    }
    return std::nullopt;
}

bool FoundUbx(std::string_view chunk, ViewMode mode) {
    return mode == ViewMode::vmUBX && !chunk.empty() &&
           static_cast<unsigned char>(chunk[0]) == 0xB5;
}

std::string NmeaWatchKey(std::string_view watchText) {
    return KeyOrOff(std::string{'$', kWatchAnyCharacter, kWatchAnyCharacter}, watchText,
                    kNmeaKeyChars);
}

std::string PubxWatchKey(std::string_view watchText) {
    return KeyOrOff("", watchText, kPubxKeyChars);
}

bool LineMatchesWatch(std::string_view line, std::string_view key) {
    if (key.empty() || line.size() < key.size())
        return false;
    // Places where the key's first plain character is found are tried.
    const std::size_t plain = key.find_first_not_of(kWatchAnyCharacter);
    if (plain == std::string_view::npos)
        return true;
    const auto matchesAt = [&](std::size_t start) {
        for (std::size_t i = 0; i < key.size(); ++i)
            if (key[i] != kWatchAnyCharacter && line[start + i] != key[i])
                return false;
        return true;
    };
    for (std::size_t hit = line.find(key[plain], plain);
         hit != std::string_view::npos && hit - plain + key.size() <= line.size();
         hit = line.find(key[plain], hit + 1))
        if (matchesAt(hit - plain))
            return true;
    return false;
}

TLines WatchedLines(const TLines& lines, std::string_view key) {
    TLines matches;
    for (const auto& line : lines)
        if (LineMatchesWatch(line, key))
            matches.push_back(OneLine(line));
    return matches;
}

namespace {
// DecodeChunk with the chunk's text as the NMEA text path reads it.
TChunkDisplay DecodeChunkText(std::string_view chunk, std::string_view text, ViewMode mode,
                              std::string_view nmeaWatchText, std::string_view pubxWatchText) {
    TChunkDisplay display;
    const std::string pubxKey = PubxWatchKey(pubxWatchText);
    display.FoundUbx = FoundUbx(chunk, mode);
    if (mode == ViewMode::vmNMEA) {
        // Watches match the lines as received; the panes get them as one line each.
        TLines lines = TextLines(text);
        display.PubxWatchLines = WatchedLines(lines, pubxKey);
        display.NmeaWatchLines = WatchedLines(lines, NmeaWatchKey(nmeaWatchText));
        display.DataLines = AsOneLines(std::move(lines));
    } else {
        ForEachDelimitedItem(text, '\n', [&](std::string_view line) {
            if (LineMatchesWatch(line, pubxKey))
                display.PubxWatchLines.push_back(OneLine(std::string(line)));
        });
        display.DataLines = RenderChunk(chunk, mode);
    }
    return display;
}
} // namespace

TChunkDisplay DecodeChunk(std::string_view chunk, ViewMode mode, std::string_view nmeaWatchText,
                          std::string_view pubxWatchText) {
    return DecodeChunkText(chunk, ChunkText(chunk), mode, nmeaWatchText, pubxWatchText);
}

TChunkDisplay DecodeChunk(std::string_view chunk, ViewMode mode, std::string_view nmeaWatchText,
                          std::string_view pubxWatchText, TReceiveTextFilter& textFilter) {
    return DecodeChunkText(chunk, textFilter.Text(chunk), mode, nmeaWatchText, pubxWatchText);
}

TLines DelimitedSplit(std::string_view text, char separator) {
    TLines items;
    ForEachDelimitedItem(text.substr(0, text.find('\0')), separator,
                         [&items](std::string_view item) { items.emplace_back(item); });
    return items;
}
