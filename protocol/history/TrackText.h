#pragma once
// Numbers and times as the track files write them, into room the caller
// made: a point is put together in place and appended at once, several times
// quicker than appending it piece by piece.

#include <cstddef>
#include <cstring>
#include <string>

namespace protocol {

// The most PutFixed writes: a double's 309 integer digits, sign, point and
// decimals.
constexpr std::size_t kMaxFixedChars = 330;
// What PutUtc writes.
constexpr std::size_t kUtcChars = 24;

// value with the given decimals ("44.06900600", at most 12); returns the end.
char* PutFixed(char* at, double value, int decimals);
// "2017-01-10T00:09:41.000Z" of seconds since 1970 UTC; returns the end.
char* PutUtc(char* at, double utcSeconds);

template <std::size_t N> char* Put(char* at, const char (&text)[N]) {
    std::memcpy(at, text, N - 1);
    return at + N - 1;
}

inline char* Put(char* at, const char* text) {
    const std::size_t size = std::strlen(text);
    std::memcpy(at, text, size);
    return at + size;
}

void AppendFixed(std::string& out, double value, int decimals);
void AppendUtc(std::string& out, double utcSeconds);

} // namespace protocol
