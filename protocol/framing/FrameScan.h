#pragma once
// What scanning for one binary frame at the start of some bytes found.

#include <cstddef>

namespace protocol {

struct FrameScan {
    enum Verdict { Frame, NotFrame, NeedMore } verdict = NotFrame;
    std::size_t length = 0;     // of the whole frame, when verdict is Frame
    bool checksumRight = false; // when verdict is Frame
};

} // namespace protocol
