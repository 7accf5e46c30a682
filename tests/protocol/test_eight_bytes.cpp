// The eight-byte tests the framer and the sentence decoder scan with mark
// exactly the bytes a test of one byte at a time would, whatever bytes stand
// next to them.

#include "protocol/EightBytes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

using namespace protocol;

namespace {

template <typename Test> std::uint64_t MarksOneByOne(std::uint64_t word, Test test) {
    std::uint64_t marks = 0;
    for (int i = 0; i < 8; ++i)
        if (test(static_cast<std::uint8_t>(word >> (8 * i))))
            marks |= std::uint64_t{0x80} << (8 * i);
    return marks;
}

} // namespace

TEST(EightBytes, MarkWhatOneByteAtATimeMarks) {
    for (const std::uint8_t neighbour : {0x00, 0x1F, 0x20, 0x2A, 0x2C, 0x7E, 0x7F, 0x80, 0xFF})
        for (int at = 0; at < 8; ++at)
            for (int value = 0; value < 256; ++value) {
                const std::uint64_t word =
                    (kEveryByte * neighbour & ~(std::uint64_t{0xFF} << (8 * at))) |
                    std::uint64_t(value) << (8 * at);
                ASSERT_EQ(BytesEqual(word, ','),
                          MarksOneByOne(word, [](std::uint8_t b) { return b == ','; }))
                    << std::hex << word;
                ASSERT_EQ(BytesBelow(word, 0x20),
                          MarksOneByOne(word, [](std::uint8_t b) { return b < 0x20; }))
                    << std::hex << word;
                ASSERT_EQ(BytesAbove(word, 0x7E),
                          MarksOneByOne(word, [](std::uint8_t b) { return b > 0x7E; }))
                    << std::hex << word;
            }
}

TEST(EightBytes, TheLastWordEndsInZerosAndTheFirstMarkIsFound) {
    const std::uint64_t tail = EightBytes("$GPGGA,1*5C", 8);
    EXPECT_EQ(tail, 0x43352A); // "*5C", nothing past the end
    EXPECT_EQ(FirstMarked(BytesEqual(tail, '5')), 1u);
    EXPECT_EQ(FirstMarked(BytesEqual(EightBytes("abcdefgh,", 1), ',')), 7u);
    // Every length and start: the bytes from there, zeros past the end.
    const std::string text = "0123456789ABCDEFGHIJK";
    for (std::size_t size = 1; size <= text.size(); ++size)
        for (std::size_t at = 0; at < size; ++at) {
            std::uint64_t expected = 0;
            for (std::size_t i = at; i < std::min(size, at + 8); ++i)
                expected |= std::uint64_t{static_cast<std::uint8_t>(text[i])} << (8 * (i - at));
            ASSERT_EQ(EightBytes(std::string_view(text).substr(0, size), at), expected)
                << size << " " << at;
        }
}
