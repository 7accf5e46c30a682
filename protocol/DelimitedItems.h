#pragma once
// Item scanning of received text: at a separator, at blanks and control
// characters (NUL among them), with double-quoted items. It is the scanner
// behind DelimitedSplit (ReceiveView.h), which ends the text at its first NUL
// first, and behind the lines of the NMEA view and the watches, which read on
// past a NUL. Each item is handed to visit as a view that is valid during the
// call, so nothing is copied for items that are not kept.

#include <cstddef>
#include <string>
#include <string_view>

std::size_t SkipBlanksAndControls(std::string_view text, std::size_t pos);
std::size_t FindItemEnd(std::string_view text, std::size_t pos, char separator);
std::size_t ReadQuotedItem(std::string_view text, std::size_t pos, std::string& item);

template <typename Visit>
void ForEachDelimitedItem(std::string_view text, char separator, Visit&& visit) {
    std::string quoted;
    std::size_t pos = SkipBlanksAndControls(text, 0);
    while (pos < text.size()) {
        if (text[pos] == '"') {
            quoted.clear();
            pos = ReadQuotedItem(text, pos, quoted);
            visit(std::string_view(quoted));
        } else {
            const std::size_t end = FindItemEnd(text, pos, separator);
            visit(text.substr(pos, end - pos));
            pos = end;
        }
        pos = SkipBlanksAndControls(text, pos);
        if (pos < text.size() && text[pos] == separator) {
            if (pos + 1 == text.size())
                visit(std::string_view());
            pos = SkipBlanksAndControls(text, pos + 1);
        }
    }
}
