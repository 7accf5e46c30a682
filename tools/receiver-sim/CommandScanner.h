#pragma once
// Cuts the bytes the receiver takes in into commands: NMEA-style sentences
// ("$" up to LF), UBX frames (sync 0xB5 0x62, header, payload, checksum) and
// RTCM 3 frames of corrections (0xD3, length, payload, CRC-24Q).
// Bytes may arrive in any pieces; a command split over several reads is
// reassembled. Noise between commands is skipped, a sentence broken off by
// a control byte or a new start is dropped, and a UBX frame whose checksum
// fails is ignored, scanning resuming right after its first sync byte so a
// good frame hidden behind it is still found. An RTCM 3 frame whose CRC
// fails is handed on as such, for the receiver reports it, and scanning
// resumes after its preamble in the same way.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct UbxMessage {
    std::uint8_t ubxClass = 0;
    std::uint8_t id = 0;
    std::string payload;
};

class CommandScanner {
public:
    static constexpr size_t kMaxSentenceLength = 128;
    static constexpr size_t kMaxUbxPayload = 1024;

    struct Handlers {
        // A sentence from "$" to the end of its line, without CR LF; its
        // checksum is not yet checked.
        std::function<void(std::string_view)> sentence;
        // A UBX frame whose checksum is correct.
        std::function<void(const UbxMessage&)> frame;
        // An RTCM 3 frame, whole; intact when its CRC is right.
        std::function<void(std::string_view frame, bool intact)> rtcm;
    };

    explicit CommandScanner(Handlers handlers) : handlers_(std::move(handlers)) {}

    void Feed(std::string_view bytes);

private:
    enum class Step { Consumed, NeedMore };
    Step ScanSentence();
    Step ScanFrame();
    Step ScanRtcm();

    Handlers handlers_;
    std::string pending_;
};

// The body between "$" and "*" when the line is "$<body>*<hh>" with hh the
// right checksum (either letter case); empty otherwise.
std::string_view CheckedSentenceBody(std::string_view line);
