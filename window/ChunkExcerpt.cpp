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
                               std::string_view nmeaWatchText, std::string_view pubxWatchText,
                               TReceiveTextFilter& textFilter) {
    if (chunk.size() <= kLargestWholeChunk || !IsTextView(mode))
        return DecodeChunk(chunk, mode, nmeaWatchText, pubxWatchText, textFilter);
    std::size_t start = chunk.size() - kShownChunkPart;
    const std::size_t lineFeed = chunk.substr(start, kLineStartSearch).find('\n');
    if (lineFeed != std::string_view::npos)
        start += lineFeed + 1;
    // The UBX view renders no data lines: the watch still reads the whole
    // chunk's text, the data pane only its last part.
    TChunkDisplay display =
        DecodeChunk(chunk, ViewMode::vmUBX, nmeaWatchText, pubxWatchText, textFilter);
    display.FoundUbx = false;
    display.DataLines = RenderChunk(chunk.substr(start), mode);
    display.DataLines->insert(display.DataLines->begin(), LeftOutLine(start));
    return display;
}
