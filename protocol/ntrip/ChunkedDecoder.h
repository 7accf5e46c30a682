#pragma once
// HTTP/1.1 chunked transfer decoding of a body that arrives in pieces split
// anywhere: each chunk's hexadecimal size line (extensions ignored), its
// data and CR LF, up to the chunk of size 0 and the trailer's blank line.
// A lone LF is taken for CR LF.

#include <cstdint>
#include <string>
#include <string_view>

namespace ntrip {

class ChunkedDecoder {
public:
    // Appends the data carried by bytes to out. False once the encoding is
    // broken (Error says where); nothing more is decoded then.
    bool Feed(std::string_view bytes, std::string& out);
    // The chunk of size 0 and the trailer have come: the body is whole.
    bool Finished() const { return state_ == State::Done; }
    const std::string& Error() const { return error_; }

private:
    enum class State { SizeLine, Data, DataEnd, Trailer, Done, Broken };
    // A line ended: true when the decoding goes on.
    bool LineEnded();
    bool Fail(const std::string& error);

    State state_ = State::SizeLine;
    std::string line_;
    std::uint64_t remaining_ = 0;
    std::string error_;
};

} // namespace ntrip
