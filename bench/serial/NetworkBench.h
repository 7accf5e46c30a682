#pragma once
// What the network benchmarks share: a source at a fixed byte rate (the
// counting pattern of tests/support/LossyWriter.h handed on every
// millisecond, what is due by then at once, so a late tick catches up as a
// real line would), a run of that stream over TCP on 127.0.0.1 into a
// reader, the process's CPU time and their command line.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

// Takes the next piece of the stream; false stops the stream.
using StreamSink = std::function<bool(const char* data, std::size_t size)>;

// Streams at bytesPerSecond into take for duration; returns the bytes taken.
std::uint64_t StreamPaced(std::size_t bytesPerSecond, std::chrono::milliseconds duration,
                          const StreamSink& take);

// CPU time (user and system) of the whole process so far, in ms.
double ProcessCpuMs();

class PatternCheck;

// What reached a reader of the stream.
struct StreamOutcome {
    std::uint64_t sent = 0;
    std::uint64_t delivered = 0;
    bool inOrder = true;
    double seconds = 0;
    double cpuMs = 0; // the process's, less the peer's

    bool Complete() const { return sent > 0 && delivered == sent && inOrder; }
};

// Listens on 127.0.0.1, has connect(port) reach it, and streams at
// bytesPerSecond for duration to whoever connected while serve() keeps the
// reader going, which hands what it reads to check; the link stays up until
// the reader has caught up (or a bounded wait ran out).
StreamOutcome StreamToReader(std::size_t bytesPerSecond, std::chrono::seconds duration,
                             const std::function<void(int port)>& connect, PatternCheck& check,
                             const std::function<void()>& serve);

// The floor: a plain poll-and-read loop on a socket as the reader.
StreamOutcome StreamToPlainReader(std::size_t bytesPerSecond, std::chrono::seconds duration);

// One line per reader: bytes sent and delivered, the rate, the CPU against
// the plain loop's.
void PrintStreamOutcome(const char* reader, const StreamOutcome& o, const StreamOutcome& plain);

// The stream's length from "PROGRAM [--seconds N]" (10 s without it);
// nothing, with the usage printed, when the command line is not that.
std::optional<std::chrono::seconds> StreamSeconds(int argc, char** argv, const char* program);
