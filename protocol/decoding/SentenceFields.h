#pragma once
// The comma-separated fields of an NMEA or PUBX sentence, address first,
// without "$", "*hh" and the line end, split once: where each field begins.
// The fields end at the first "*", CR or LF. The bounds of a usual sentence
// are kept in place; only a long one (PUBX,03 with many satellites) takes
// memory for them.

#include <cstddef>
#include <string_view>
#include <vector>

namespace protocol {

class SentenceFields {
public:
    explicit SentenceFields(std::string_view line);
    SentenceFields(const SentenceFields&) = delete; // its bounds may lie within it
    SentenceFields& operator=(const SentenceFields&) = delete;

    // Field i, empty past the last.
    std::string_view operator[](std::size_t i) const {
        if (i >= size_)
            return {};
        return {text_ + begins_[i], begins_[i + 1] - begins_[i] - 1};
    }
    std::size_t size() const { return size_; }

private:
    // Room for sentences of up to 254 bytes: all but PUBX,03 with more than
    // twelve satellites.
    static constexpr std::size_t kInPlace = 256;

    const char* text_;
    const std::size_t* begins_; // field i spans begins_[i] to begins_[i + 1] - 1
    std::size_t size_;
    // Left unset until written: clearing them would cost more than the split.
    std::size_t inPlace_[kInPlace];
    std::vector<std::size_t> more_;
};

} // namespace protocol
