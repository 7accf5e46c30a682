#pragma once
// The text log of a recording: one line per received message or line and per
// command sent, "2024-05-01T12:34:56.789Z RX $GPGGA,...\r\n". The bytes are
// written as text where they are printable and escaped where not (\\, \r,
// \n, \xHH), so a line reads well and still gives back every byte for replay.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class LogDirection { Received, Sent };

struct LogEntry {
    std::int64_t utcMs = 0; // milliseconds since 1970-01-01 UTC
    LogDirection direction = LogDirection::Received;
    std::string bytes;
};

// "2024-05-01T12:34:56.789Z"
std::string FormatUtcMs(std::int64_t utcMs);

// One line of the log, ended by a line feed.
std::string FormatLogLine(const LogEntry& entry);

// Whether the line has the log's shape, "<24-character time> RX|TX ...",
// whatever its time and bytes hold.
bool LooksLikeLogLine(std::string_view line);

// The entry of a line (with or without its line end); nothing when the line
// is not one of the log's lines, and then why in problem when it is given:
// "impossible time 2024-13-45T99:99:99.999Z", "broken escape" or
// "not a line of a text log".
std::optional<LogEntry> ParseLogLine(std::string_view line, std::string* problem = nullptr);
