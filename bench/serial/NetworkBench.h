#pragma once
// What the network benchmarks share: a source at a fixed byte rate (the
// counting pattern of tests/support/LossyWriter.h handed on every
// millisecond, what is due by then at once, so a late tick catches up as a
// real line would), the process's CPU time and their command line.

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

// The stream's length from "PROGRAM [--seconds N]" (10 s without it);
// nothing, with the usage printed, when the command line is not that.
std::optional<std::chrono::seconds> StreamSeconds(int argc, char** argv, const char* program);
