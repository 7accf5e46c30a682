#include "recording/TextLog.h"

#include "protocol/HexDigit.h"

#include <cstdio>
#include <ctime>

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string Escape(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            text += "\\\\";
        else if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (byte >= 0x20 && byte < 0x7F)
            text += c;
        else {
            text += "\\x";
            text += kHexDigits[byte >> 4];
            text += kHexDigits[byte & 15];
        }
    }
    return text;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\\') {
            bytes += text[at];
            continue;
        }
        if (++at == text.size())
            return std::nullopt;
        switch (text[at]) {
        case '\\':
            bytes += '\\';
            break;
        case 'r':
            bytes += '\r';
            break;
        case 'n':
            bytes += '\n';
            break;
        case 'x': {
            if (at + 2 >= text.size())
                return std::nullopt;
            const int high = HexDigitValue(text[at + 1]);
            const int low = HexDigitValue(text[at + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes += static_cast<char>(high * 16 + low);
            at += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return bytes;
}

std::optional<std::int64_t> ParseUtcMs(std::string_view text) {
    if (text.size() != 24 || text[10] != 'T' || text[23] != 'Z')
        return std::nullopt;
    std::tm fields{};
    int milliseconds = 0;
    int consumed = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ%n", &fields.tm_year, &fields.tm_mon,
                    &fields.tm_mday, &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &milliseconds,
                    &consumed) != 7 ||
        consumed != 24)
        return std::nullopt;
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    return static_cast<std::int64_t>(timegm(&fields)) * 1000 + milliseconds;
}
} // namespace

std::string FormatUtcMs(std::int64_t utcMs) {
    const std::time_t seconds = static_cast<std::time_t>(utcMs / 1000);
    std::tm fields{};
    gmtime_r(&seconds, &fields);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", fields.tm_year + 1900,
                  fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec,
                  static_cast<int>(utcMs % 1000));
    return text;
}

std::string FormatLogLine(const LogEntry& entry) {
    return FormatUtcMs(entry.utcMs) +
           (entry.direction == LogDirection::Received ? " RX " : " TX ") + Escape(entry.bytes) +
           '\n';
}

std::optional<LogEntry> ParseLogLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.size() < 28 || line[24] != ' ' || line[27] != ' ')
        return std::nullopt;
    const std::string_view direction = line.substr(25, 2);
    if (direction != "RX" && direction != "TX")
        return std::nullopt;
    const std::optional<std::int64_t> time = ParseUtcMs(line.substr(0, 24));
    std::optional<std::string> bytes = Unescape(line.substr(28));
    if (!time || !bytes)
        return std::nullopt;
    return LogEntry{*time, direction == "RX" ? LogDirection::Received : LogDirection::Sent,
                    std::move(*bytes)};
}
