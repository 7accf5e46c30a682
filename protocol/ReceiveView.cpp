#include "protocol/ReceiveView.h"

#include "serial/ReplaceControlChars.h"

#include <array>

namespace {

constexpr char kQuote = '"';
constexpr char kLineSeparator = '|';
constexpr std::size_t kNmeaKeyChars = 3;
constexpr std::size_t kPubxKeyChars = 5;

// Codes 1 to 32; the text never holds a NUL here (it ends there).
bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlankOrControl(text[pos]))
        ++pos;
    return pos;
}

// Reads the quoted item whose opening quote is at pos; returns the position
// after its closing quote, or the end when it has none.
std::size_t ReadQuoted(std::string_view text, std::size_t pos, std::string& item) {
    ++pos;
    while (pos < text.size()) {
        const std::size_t quote = text.find(kQuote, pos);
        if (quote == std::string_view::npos) {
            item.append(text.substr(pos));
            return text.size();
        }
        item.append(text.substr(pos, quote - pos));
        if (quote + 1 < text.size() && text[quote + 1] == kQuote) {
            item += kQuote;
            pos = quote + 2;
        } else {
            return quote + 1;
        }
    }
    return pos;
}

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

// Each byte by its text from the table, followed by "-".
template <typename Table> std::string NumberedBytes(std::string_view chunk, const Table& table) {
    std::string text;
    text.reserve(chunk.size() * 4);
    for (char c : chunk) {
        text.append(table[static_cast<unsigned char>(c)]);
        text += '-';
    }
    return text;
}

using TByteTexts = std::array<std::string, 256>;

TByteTexts MakeByteTexts(int base) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    TByteTexts texts;
    for (int value = 0; value < 256; ++value) {
        std::string digits;
        for (int rest = value; digits.empty() || rest > 0; rest /= base)
            digits.insert(digits.begin(), kDigits[rest % base]);
        texts[value] = digits;
    }
    return texts;
}

TLines AsciiView(std::string_view chunk) {
    return DelimitedSplit(
        ReplaceAll(ReplaceControlChars(std::string(chunk)), "<CR><LF>", "<CR><LF>|"),
        kLineSeparator);
}

TLines DecimalView(std::string_view chunk) {
    static const TByteTexts kDecimal = MakeByteTexts(10);
    return DelimitedSplit(ReplaceAll(NumberedBytes(chunk, kDecimal), "-13-10-", "|"),
                          kLineSeparator);
}

TLines HexaView(std::string_view chunk) {
    static const TByteTexts kHex = MakeByteTexts(16);
    return DelimitedSplit(ReplaceAll(NumberedBytes(chunk, kHex), "-D-A-", "|"), kLineSeparator);
}

TLines NmeaView(std::string_view chunk) {
    return DelimitedSplit(chunk, '\n');
}

std::string KeyOrOff(std::string_view prefix, std::string_view watchText, std::size_t chars) {
    if (watchText.size() < chars)
        return {};
    return std::string(prefix) + std::string(watchText.substr(0, chars));
}

} // namespace

TLines DelimitedSplit(std::string_view text, char separator) {
    text = text.substr(0, text.find('\0'));
    TLines items;
    std::size_t pos = SkipBlanks(text, 0);
    while (pos < text.size()) {
        std::string item;
        if (text[pos] == kQuote) {
            pos = ReadQuoted(text, pos, item);
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && text[pos] != separator && !IsBlankOrControl(text[pos]))
                ++pos;
            item.assign(text.substr(start, pos - start));
        }
        items.push_back(std::move(item));
        pos = SkipBlanks(text, pos);
        if (pos < text.size() && text[pos] == separator) {
            if (pos + 1 == text.size())
                items.emplace_back();
            pos = SkipBlanks(text, pos + 1);
        }
    }
    return items;
}

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
    return KeyOrOff("$GP", watchText, kNmeaKeyChars);
}

std::string PubxWatchKey(std::string_view watchText) {
    return KeyOrOff("", watchText, kPubxKeyChars);
}

bool LineMatchesWatch(std::string_view line, std::string_view key) {
    return !key.empty() && line.find(key) != std::string_view::npos;
}

TLines WatchedLines(const TLines& lines, std::string_view key) {
    TLines matches;
    for (const auto& line : lines)
        if (LineMatchesWatch(line, key))
            matches.push_back(line);
    return matches;
}

TChunkDisplay DecodeChunk(std::string_view chunk, ViewMode mode, std::string_view nmeaWatchText,
                          std::string_view pubxWatchText) {
    TChunkDisplay display;
    TLines lines = DelimitedSplit(chunk, '\n');
    display.PubxWatchLines = WatchedLines(lines, PubxWatchKey(pubxWatchText));
    display.FoundUbx = FoundUbx(chunk, mode);
    if (mode == ViewMode::vmNMEA) {
        display.NmeaWatchLines = WatchedLines(lines, NmeaWatchKey(nmeaWatchText));
        display.DataLines = std::move(lines);
    } else {
        display.DataLines = RenderChunk(chunk, mode);
    }
    return display;
}
