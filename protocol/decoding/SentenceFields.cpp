#include "protocol/decoding/SentenceFields.h"

#include "protocol/EightBytes.h"

#include <bit>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace protocol {
namespace {

// Sixteen bytes marked, bit i for byte i: the commas, and the bytes that end
// the fields.
struct Marks {
    std::uint32_t Commas = 0, Ends = 0;
};

#if defined(__SSE2__)
Marks MarkSixteen(const char* bytes) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const auto equal = [block](char c) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(c)); };
    return {static_cast<std::uint32_t>(_mm_movemask_epi8(equal(','))),
            static_cast<std::uint32_t>(_mm_movemask_epi8(
                _mm_or_si128(equal('*'), _mm_or_si128(equal('\r'), equal('\n')))))};
}
#else
// The top bit of each byte's mark gathered into one bit per byte.
std::uint32_t Gathered(std::uint64_t marks) {
    return static_cast<std::uint32_t>(((marks >> 7) * 0x0102040810204080) >> 56);
}
Marks MarkSixteen(const char* bytes) {
    Marks marks;
    for (std::size_t half = 0; half < 2; ++half) {
        const std::uint64_t word = EightBytes(std::string_view(bytes + 8 * half, 8), 0);
        const std::uint64_t ends =
            BytesEqual(word, '*') | BytesEqual(word, '\r') | BytesEqual(word, '\n');
        marks.Commas |= Gathered(BytesEqual(word, ',')) << (8 * half);
        marks.Ends |= Gathered(ends) << (8 * half);
    }
    return marks;
}
#endif

// The marks of the bytes from at on, at most sixteen; a line's last bytes are
// read as the sixteen that end it, shifted, rather than one at a time.
Marks MarksFrom(std::string_view line, std::size_t at) {
    const std::size_t left = line.size() - at;
    if (left >= 16)
        return MarkSixteen(line.data() + at);
    Marks marks;
    if (line.size() >= 16) {
        marks = MarkSixteen(line.data() + line.size() - 16);
        marks.Commas >>= 16 - left;
        marks.Ends >>= 16 - left;
    } else {
        for (std::size_t i = 0; i < left; ++i) {
            const char c = line[at + i];
            marks.Commas |= std::uint32_t{c == ','} << i;
            marks.Ends |= std::uint32_t{c == '*' || c == '\r' || c == '\n'} << i;
        }
    }
    marks.Ends |= std::uint32_t{1} << left; // the line's end ends the fields too
    return marks;
}

// Sixteen bytes a step: each comma ends a field and begins the next, the
// first end mark ends the last. Returns the number of fields. Kept apart
// from the decoders, so that its loop keeps its counts in registers.
[[gnu::noinline]] std::size_t Split(std::string_view line, std::size_t* begins) {
    std::size_t fields = 0;
    begins[fields++] = 0;
    for (std::size_t at = 0;; at += 16) {
        Marks marks = MarksFrom(line, at);
        const std::size_t end = marks.Ends != 0 ? std::countr_zero(marks.Ends) : 32;
        marks.Commas &= (std::uint64_t{1} << end) - 1; // those before the end
        for (; marks.Commas != 0; marks.Commas &= marks.Commas - 1)
            begins[fields++] = at + std::countr_zero(marks.Commas) + 1;
        if (end != 32) {
            begins[fields] = at + end + 1; // past the last field
            return fields;
        }
    }
}

} // namespace

SentenceFields::SentenceFields(std::string_view line) {
    if (!line.empty() && line.front() == '$')
        line.remove_prefix(1);
    text_ = line.data();
    // A line of n bytes has at most n + 1 fields: room for their bounds is
    // made once, before the split.
    std::size_t* begins = inPlace_;
    if (line.size() + 2 > kInPlace) {
        more_.resize(line.size() + 2);
        begins = more_.data();
    }
    begins_ = begins;
    size_ = Split(line, begins);
}

} // namespace protocol
