#pragma once
// Cuts the received byte stream into the messages of the text log: an NMEA
// or text line up to and including its line feed, a UBX frame by its length
// field, and the bytes between them as they are. A message may span any
// number of chunks; runs without either end are cut at kLongestMessage so
// nothing waits for long.

#include <string>
#include <string_view>
#include <vector>

class MessageSplitter {
public:
    static constexpr std::size_t kLongestMessage = 4096;

    // The messages these bytes complete, in order.
    std::vector<std::string> Feed(std::string_view bytes);
    // What is left of an unfinished message (at the end of a recording).
    std::string TakeRest();

private:
    // Length of the first message of pending; 0 while it is unfinished.
    static std::size_t CompleteLength(std::string_view pending);

    std::string pending_;
};
