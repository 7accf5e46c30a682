#include "recording/TextLog.h"

#include "protocol/HexDigit.h"

#include <cstdio>
#include <ctime>
#include <utility>

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

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// A time as the log writes it; nothing for one that names no real moment
// (month 13, 30 February, 25 o'clock), which the calendar would otherwise
// carry over into a later day.
std::optional<std::int64_t> ParseUtcMs(std::string_view text) {
    std::tm fields{};
    int milliseconds = 0;
    int consumed = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ%n", &fields.tm_year, &fields.tm_mon,
                    &fields.tm_mday, &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &milliseconds,
                    &consumed) != 7 ||
        consumed != 24)
        return std::nullopt;
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int month = fields.tm_mon;
    if (month < 1 || month > 12 || fields.tm_mday < 1 ||
        fields.tm_mday > kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(fields.tm_year)) ||
        fields.tm_hour > 23 || fields.tm_min > 59 || fields.tm_sec > 59 || fields.tm_hour < 0 ||
        fields.tm_min < 0 || fields.tm_sec < 0 || milliseconds < 0)
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

namespace {
std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}
} // namespace

bool LooksLikeLogLine(std::string_view line) {
    line = WithoutLineEnd(line);
    return line.size() >= 28 && line[10] == 'T' && line[23] == 'Z' && line[24] == ' ' &&
           (line.substr(25, 2) == "RX" || line.substr(25, 2) == "TX") && line[27] == ' ';
}

std::optional<LogEntry> ParseLogLine(std::string_view line, std::string* problem) {
    const auto refuse = [problem](std::string why) {
        if (problem)
            *problem = std::move(why);
        return std::nullopt;
    };
    line = WithoutLineEnd(line);
    if (!LooksLikeLogLine(line))
        return refuse("not a line of a text log");
    const std::optional<std::int64_t> time = ParseUtcMs(line.substr(0, 24));
    if (!time)
        return refuse("impossible time " + std::string(line.substr(0, 24)));
    std::optional<std::string> bytes = Unescape(line.substr(28));
    if (!bytes)
        return refuse("broken escape");
    return LogEntry{*time, line.substr(25, 2) == "RX" ? LogDirection::Received : LogDirection::Sent,
                    std::move(*bytes)};
}
