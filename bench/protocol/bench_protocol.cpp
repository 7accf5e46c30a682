// Throughput of the receive views, the text filter of the NMEA view and the
// watches, the line split and the watch match on
// 4 KiB and 64 KiB chunks of receiver output, beside memcpy of the same size.
// After the usual table a summary gives each result as a fraction of memcpy
// and the processor time of 64 KiB against 4 KiB (16 means linear).

#include "bench/protocol/ReceiverOutput.h"
#include "protocol/ReceiveText.h"
#include "protocol/ReceiveView.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kSmall = 4 * 1024;
constexpr std::int64_t kLarge = 64 * 1024;
constexpr const char* kNmeaWatch = "GGA SysFix      p.49";
constexpr const char* kPubxWatch = "$PUBX,00  UBX00 Lat/Lon Position Data";

void BM_Memcpy(benchmark::State& state) {
    const std::string source = ReceiverOutput(state.range(0));
    std::string target(source.size(), '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The whole work of one chunk in one view: watches, notice and data pane.
void BM_View(benchmark::State& state, ViewMode mode) {
    const std::string chunk = ReceiverOutput(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeChunk(chunk, mode, kNmeaWatch, kPubxWatch));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The text the NMEA view and the watches read: NULs and UBX frames looked for
// in every byte.
void BM_ReceiveText(benchmark::State& state) {
    const std::string chunk = ReceiverOutput(state.range(0));
    TReceiveTextFilter filter;
    for (auto _ : state)
        benchmark::DoNotOptimize(filter.Text(chunk));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_DelimitedSplit(benchmark::State& state) {
    const std::string chunk = ReceiverOutput(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(DelimitedSplit(chunk, '\n'));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_WatchMatch(benchmark::State& state) {
    const TLines lines = DelimitedSplit(ReceiverOutput(state.range(0)), '\n');
    const std::string nmeaKey = NmeaWatchKey(kNmeaWatch);
    const std::string pubxKey = PubxWatchKey(kPubxWatch);
    for (auto _ : state) {
        benchmark::DoNotOptimize(WatchedLines(lines, nmeaKey));
        benchmark::DoNotOptimize(WatchedLines(lines, pubxKey));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_Memcpy)->Arg(kSmall)->Arg(kLarge);
BENCHMARK_CAPTURE(BM_View, ASCII, ViewMode::vmASCII)->Arg(kSmall)->Arg(kLarge);
BENCHMARK_CAPTURE(BM_View, Decimal, ViewMode::vmDecimal)->Arg(kSmall)->Arg(kLarge);
BENCHMARK_CAPTURE(BM_View, Hexa, ViewMode::vmHexa)->Arg(kSmall)->Arg(kLarge);
BENCHMARK_CAPTURE(BM_View, NMEA, ViewMode::vmNMEA)->Arg(kSmall)->Arg(kLarge);
BENCHMARK_CAPTURE(BM_View, UBX, ViewMode::vmUBX)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_ReceiveText)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_DelimitedSplit)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_WatchMatch)->Arg(kSmall)->Arg(kLarge);

// Console output as usual, plus the runs kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            Result& result = results_[run.run_name.function_name][std::stoll(run.run_name.args)];
            result.seconds = run.GetAdjustedCPUTime();
            result.bytesPerSecond = run.counters.at("bytes_per_second");
        }
    }

    void PrintSummary() const {
        const auto reference = results_.find("BM_Memcpy");
        if (reference == results_.end() || reference->second.size() < 2)
            return;
        const auto& memcpy = reference->second;
        std::printf("\n%-24s %12s %12s %12s %12s %10s\n", "benchmark", "4K MB/s", "4K/memcpy",
                    "64K MB/s", "64K/memcpy", "64K/4K");
        for (const auto& [name, bySize] : results_) {
            if (bySize.size() < 2)
                continue;
            const Result& small = bySize.at(kSmall);
            const Result& large = bySize.at(kLarge);
            std::printf(
                "%-24s %12.0f %11.3f %12.0f %12.3f %10.1f\n", name.c_str(),
                small.bytesPerSecond / 1e6, small.bytesPerSecond / memcpy.at(kSmall).bytesPerSecond,
                large.bytesPerSecond / 1e6, large.bytesPerSecond / memcpy.at(kLarge).bytesPerSecond,
                large.seconds / small.seconds);
        }
    }

private:
    struct Result {
        double seconds = 0;
        double bytesPerSecond = 0;
    };
    std::map<std::string, std::map<std::int64_t, Result>> results_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
