#include "recording/RecordingFile.h"

#include "recording/MessageSplitter.h"
#include "recording/TextLog.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace {
std::string_view FirstLine(std::string_view content) {
    return content.substr(0, content.find('\n'));
}

Recording FromTextLog(std::string_view content) {
    Recording recording{{}, true, {}};
    std::int64_t firstMs = 0;
    for (std::size_t number = 1; !content.empty(); ++number) {
        const std::string_view line = FirstLine(content);
        content.remove_prefix(std::min(content.size(), line.size() + 1));
        std::string problem;
        std::optional<LogEntry> entry = ParseLogLine(line, &problem);
        if (!entry) {
            if (line.find_first_not_of("\r") != std::string_view::npos)
                recording.skipped.push_back("Line " + std::to_string(number) +
                                            " skipped: " + problem);
            continue;
        }
        // Commands the window sent are part of the log, not of the line's input.
        if (entry->direction != LogDirection::Received)
            continue;
        if (recording.chunks.empty())
            firstMs = entry->utcMs;
        recording.chunks.push_back({entry->utcMs - firstMs, std::move(entry->bytes)});
    }
    return recording;
}

std::string_view WithoutCommentLines(std::string_view content) {
    while (!content.empty() && content.front() == '#') {
        const std::size_t end = content.find('\n');
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    }
    return content;
}

Recording FromRawBytes(std::string_view content, double messagesPerSecond) {
    content = WithoutCommentLines(content);
    MessageSplitter splitter;
    std::vector<std::string> messages = splitter.Feed(content);
    if (std::string rest = splitter.TakeRest(); !rest.empty())
        messages.push_back(std::move(rest));
    Recording recording;
    recording.chunks.reserve(messages.size());
    const double intervalMs = messagesPerSecond > 0 ? 1000.0 / messagesPerSecond : 0;
    for (std::size_t index = 0; index < messages.size(); ++index)
        recording.chunks.push_back(
            {static_cast<std::int64_t>(static_cast<double>(index) * intervalMs),
             std::move(messages[index])});
    return recording;
}

std::string ReadRecordingFile(const std::string& path) {
    // A folder opens as a file of endless size.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        throw std::runtime_error("Cannot open recording " + path + ": " + std::strerror(EISDIR));
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        throw std::runtime_error("Cannot open recording " + path + ": " + std::strerror(errno));
    std::string content(static_cast<std::size_t>(file.tellg()), '\0');
    file.seekg(0);
    if (!file.read(content.data(), static_cast<std::streamsize>(content.size())))
        throw std::runtime_error("Cannot open recording " + path + ": read error");
    return content;
}
} // namespace

Recording ParseRecording(std::string_view content, double messagesPerSecond) {
    if (LooksLikeLogLine(FirstLine(content)))
        return FromTextLog(content);
    return FromRawBytes(content, messagesPerSecond);
}

Recording LoadRecording(const std::string& path, double messagesPerSecond) {
    return ParseRecording(ReadRecordingFile(path), messagesPerSecond);
}

ReceivedStream LoadReceivedStream(const std::string& path) {
    std::string content = ReadRecordingFile(path);
    if (!LooksLikeLogLine(FirstLine(content))) {
        const std::size_t header = content.size() - WithoutCommentLines(content).size();
        content.erase(0, header);
        return {std::move(content), {}};
    }
    Recording log = FromTextLog(content);
    ReceivedStream stream{{}, std::move(log.skipped)};
    for (const ReplayChunk& chunk : log.chunks)
        stream.bytes += chunk.bytes;
    return stream;
}
