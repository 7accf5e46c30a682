#include "protocol/DelimitedItems.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kQuote = '"';
constexpr std::uint64_t kEveryByte = 0x0101010101010101;

// Codes 0 to 32.
bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Eight bytes at a time: the high bit of a byte is set where the byte is below
// 33 or equal to the separator. A borrow can also mark bytes above a true
// mark, never below one, so the lowest mark is exact.
std::size_t FirstStopInWord(std::uint64_t word, std::uint64_t separators) {
    constexpr std::uint64_t kHighBits = kEveryByte * 0x80;
    const std::uint64_t below33 = (word - kEveryByte * 33) & ~word & kHighBits;
    const std::uint64_t diff = word ^ separators;
    const std::uint64_t isSeparator = (diff - kEveryByte) & ~diff & kHighBits;
    const std::uint64_t stops = below33 | isSeparator;
    return stops ? std::countr_zero(stops) / 8 : 8;
}

} // namespace

std::size_t SkipBlanksAndControls(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlankOrControl(text[pos]))
        ++pos;
    return pos;
}

std::size_t FindItemEnd(std::string_view text, std::size_t pos, char separator) {
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t separators = kEveryByte * static_cast<unsigned char>(separator);
        while (pos + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + pos, sizeof word);
            const std::size_t stop = FirstStopInWord(word, separators);
            if (stop < 8)
                return pos + stop;
            pos += 8;
        }
    }
    while (pos < text.size() && text[pos] != separator && !IsBlankOrControl(text[pos]))
        ++pos;
    return pos;
}

std::size_t ReadQuotedItem(std::string_view text, std::size_t pos, std::string& item) {
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
