#include "window/blocks/ChunkExcerpt.h"

#include "protocol/DelimitedItems.h"

namespace {
// How far into the part shown a line feed is looked for.
constexpr std::size_t kLineStartSearch = 4096;

bool IsTextView(ViewMode mode) {
    return mode == ViewMode::vmASCII || mode == ViewMode::vmDecimal || mode == ViewMode::vmHexa;
}

// Where the part shown of data begins: kShownChunkPart from its end, moved on
// past a line feed when one comes early, so the part begins with a whole line.
std::size_t ShownPartStart(std::string_view data) {
    if (data.size() <= kShownChunkPart)
        return 0;
    std::size_t start = data.size() - kShownChunkPart;
    const std::size_t lineFeed = data.substr(start, kLineStartSearch).find('\n');
    if (lineFeed != std::string_view::npos)
        start += lineFeed + 1;
    return start;
}

void PutLeftOutLineFirst(TLines& lines, std::size_t bytesLeftOut) {
    if (bytesLeftOut > 0)
        lines.insert(lines.begin(), LeftOutLine(bytesLeftOut));
}

// The NMEA view of an over-large chunk. Both watches go through every line
// of the chunk's text without keeping it; the data pane gets the lines of the
// text's last part, so the bytes left out are bytes of that text (the UBX
// frames the view never shows are not counted).
TChunkDisplay NmeaExcerpt(std::string_view chunk, std::string_view nmeaWatchText,
                          std::string_view pubxWatchText, TReceiveTextFilter& textFilter) {
    const std::string text = textFilter.Text(chunk);
    const std::string nmeaKey = NmeaWatchKey(nmeaWatchText);
    const std::string pubxKey = PubxWatchKey(pubxWatchText);
    TChunkDisplay display;
    ForEachDelimitedItem(text, '\n', [&](std::string_view line) {
        if (LineMatchesWatch(line, pubxKey))
            display.PubxWatchLines.push_back(OneLine(std::string(line)));
        if (LineMatchesWatch(line, nmeaKey))
            display.NmeaWatchLines.push_back(OneLine(std::string(line)));
    });
    const std::size_t start = ShownPartStart(text);
    TLines lines;
    ForEachDelimitedItem(std::string_view(text).substr(start), '\n', [&](std::string_view line) {
        lines.push_back(OneLine(std::string(line)));
    });
    PutLeftOutLineFirst(lines, start);
    display.DataLines = std::move(lines);
    return display;
}
} // namespace

std::string LeftOutLine(std::size_t bytesLeftOut) {
    return "[" + std::to_string(bytesLeftOut) + " bytes left out of the view]";
}

TChunkDisplay DecodeShownChunk(std::string_view chunk, ViewMode mode,
                               std::string_view nmeaWatchText, std::string_view pubxWatchText,
                               TReceiveTextFilter& textFilter) {
    if (chunk.size() <= kLargestWholeChunk)
        return DecodeChunk(chunk, mode, nmeaWatchText, pubxWatchText, textFilter);
    if (mode == ViewMode::vmNMEA)
        return NmeaExcerpt(chunk, nmeaWatchText, pubxWatchText, textFilter);
    if (!IsTextView(mode))
        return DecodeChunk(chunk, mode, nmeaWatchText, pubxWatchText, textFilter);
    const std::size_t start = ShownPartStart(chunk);
    // The UBX view renders no data lines: the watch still reads the whole
    // chunk's text, the data pane only its last part.
    TChunkDisplay display =
        DecodeChunk(chunk, ViewMode::vmUBX, nmeaWatchText, pubxWatchText, textFilter);
    display.FoundUbx = false;
    display.DataLines = RenderChunk(chunk.substr(start), mode);
    PutLeftOutLineFirst(*display.DataLines, start);
    return display;
}
