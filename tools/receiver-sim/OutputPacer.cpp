#include "tools/receiver-sim/OutputPacer.h"

#include <algorithm>

namespace {
constexpr double kBurstSeconds = 0.005;
}

OutputPacer::OutputPacer(double bytesPerSecond, Clock::time_point now)
    : bytesPerSecond_(bytesPerSecond), burst_(std::max(1.0, bytesPerSecond * kBurstSeconds)),
      last_(now) {}

std::size_t OutputPacer::Allowance(Clock::time_point now) {
    const double elapsed = std::chrono::duration<double>(now - last_).count();
    credit_ = std::min(burst_, credit_ + std::max(0.0, elapsed) * bytesPerSecond_);
    last_ = now;
    return static_cast<std::size_t>(credit_);
}

void OutputPacer::SetRate(double bytesPerSecond) {
    bytesPerSecond_ = bytesPerSecond;
    burst_ = std::max(1.0, bytesPerSecond * kBurstSeconds);
    credit_ = std::min(credit_, burst_);
}

void OutputPacer::Spend(std::size_t bytes) {
    credit_ -= static_cast<double>(bytes);
}

OutputPacer::Clock::duration OutputPacer::UntilNextByte() const {
    if (credit_ >= 1)
        return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>((1 - credit_) / bytesPerSecond_));
}
