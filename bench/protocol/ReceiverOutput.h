#pragma once
// A receiver's serial output for the benchmarks: one second of NMEA
// sentences with PUBX answers, repeated and cut to the chunk size like a poll
// of the port would cut it. Text only: mixed NMEA and UBX output is
// bench_receiver_chain's.

#include <cstddef>
#include <string>

std::string ReceiverOutput(std::size_t size);
