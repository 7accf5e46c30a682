#include "window/ChunkExcerpt.h"

namespace {
// How far into the part shown a line feed is looked for.
constexpr std::size_t kLineStartSearch = 4096;

bool IsTextView(ViewMode mode) {
    return mode == ViewMode::vmASCII || mode == ViewMode::vmDecimal || mode == ViewMode::vmHexa;
}
} // namespace

std::string LeftOutLine(std::size_t bytesLeftOut) {
    return "[" + std::to_string(bytesLeftOut) + " bytes left out of the view]";
}

TChunkDisplay DecodeShownChunk(std::string_view chunk, ViewMode mode,
                               std::string_view nmeaWatchText, std::string_view pubxWatchText) {
    if (chunk.size() <= kLargestWholeChunk || !IsTextView(mode))
        return DecodeChunk(chunk, mode, nmeaWatchText, pubxWatchText);
    std::size_t start = chunk.size() - kShownChunkPart;
    const std::size_t lineFeed = chunk.substr(start, kLineStartSearch).find('\n');
    if (lineFeed != std::string_view::npos)
        start += lineFeed + 1;
    TChunkDisplay display = DecodeChunk(chunk.substr(start), mode, nmeaWatchText, pubxWatchText);
    display.DataLines->insert(display.DataLines->begin(), LeftOutLine(start));
    display.PubxWatchLines = WatchedLines(DelimitedSplit(chunk, '\n'), PubxWatchKey(pubxWatchText));
    return display;
}
