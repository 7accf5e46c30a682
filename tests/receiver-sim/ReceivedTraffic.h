#pragma once
// Splits what the simulated receiver sent into NMEA sentences and UBX frames,
// checking each independently of the simulator's own code, so tests can
// assert that every byte on the line belongs to an intact sentence or frame.

#include <string>
#include <string_view>
#include <vector>

struct ReceivedTraffic {
    std::vector<std::string> sentences; // "$...*hh", CR LF removed, checksum verified
    std::vector<std::string> frames;    // whole UBX frames, checksum verified
    std::vector<std::string> faults;    // anything else, described
    std::string unfinished;             // a last sentence or frame cut off by the end of the read

    std::vector<std::string> SentencesStartingWith(std::string_view prefix) const;
};

ReceivedTraffic SplitTraffic(std::string_view bytes);

// Payload of a UBX frame (bytes 6 .. n + 6).
std::string FramePayload(const std::string& frame);
std::string Hex(std::string_view bytes);
