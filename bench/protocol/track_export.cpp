// The track export of a one-hour drive at 10 Hz, mixed NMEA and UBX as the
// simulated receiver sends it (the position messages every epoch, the
// satellite reports once a second), beside reading the same file through
// the framer alone: goal, the export (read, frame, decode, fold, write GPX)
// in at most twice the framer's time. Prints the memory the fixes take per
// fix, too. Exits 1 when the goal is missed.

#include "bench/protocol/BestTime.h"
#include "protocol/framing/Framer.h"
#include "protocol/history/StreamFixes.h"
#include "protocol/history/TrackExport.h"
#include "recording/RecordingFile.h"
#include "tools/receiver-sim/NmeaOutput.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace {

constexpr int kEpochs = 3600 * 10;
constexpr int kEpochsPerSecond = 10;
constexpr int kRounds = 3;

std::string Drive() {
    NavigationModel model(1500000000, 11);
    std::string traffic;
    for (int epoch = 0; epoch < kEpochs; ++epoch) {
        const NavigationSolution& s = model.Advance(std::chrono::milliseconds(100));
        for (const char* id : {"RMC", "GGA", "GSA"})
            for (const auto& sentence : StandardMessage(id, s))
                traffic += sentence;
        traffic += NavPvtFrame(s) + NavDopFrame(s);
        if (epoch % kEpochsPerSecond == 0) {
            for (const auto& sentence : StandardMessage("GSV", s))
                traffic += sentence;
            traffic += NavSatFrame(s) + NavStatusFrame(s) + Pubx00Position(s);
        }
    }
    return traffic;
}

double Best(const std::function<void()>& work) {
    return BestSeconds(kRounds, work);
}

volatile std::uint64_t sink; // keeps results alive

} // namespace

int main() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zepo-track-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string recording = (folder / "drive.ubx").string();
    const std::string track = (folder / "drive.gpx").string();
    const std::string traffic = Drive();
    std::ofstream(recording, std::ios::binary) << traffic;

    const double framer = Best([&] {
        const ReceivedStream stream = LoadReceivedStream(recording);
        protocol::Framer f;
        std::uint64_t count = 0;
        f.Feed(stream.bytes, [&count](protocol::Message&&) { ++count; });
        sink = count;
    });
    // The export in its two parts: finding the fixes, and writing them.
    protocol::PositionHistory history;
    const double finding =
        Best([&] { history = protocol::FixesOfStream(LoadReceivedStream(recording).bytes); });
    const double writing = Best([&] { protocol::WriteTrackFile(track, history.All()); });
    const double exported = finding + writing;
    const std::size_t heapBefore = mallinfo2().uordblks;
    const protocol::PositionHistory held = protocol::FixesOfStream(traffic);
    const double bytesPerFix =
        static_cast<double>(mallinfo2().uordblks - heapBefore) / static_cast<double>(held.size());
    const auto trackBytes = std::filesystem::file_size(track);
    std::filesystem::remove_all(folder);

    const double ratio = exported / framer;
    std::printf("one hour at 10 Hz: %.1f MB of mixed NMEA and UBX, %zu fixes, GPX %.1f MB\n",
                static_cast<double>(traffic.size()) / 1e6, history.size(),
                static_cast<double>(trackBytes) / 1e6);
    std::printf("%-36s %7.3f s\n", "read + frame", framer);
    std::printf("%-36s %7.3f s\n", "read + frame + decode + fold", finding);
    std::printf("%-36s %7.3f s\n", "write GPX", writing);
    std::printf("%-36s %7.3f s  %.2f x the framer (goal <= 2)\n", "export", exported, ratio);
    std::printf("memory per fix: %.0f bytes (the record %zu)\n", bytesPerFix,
                sizeof(protocol::FixRecord));
    return ratio <= 2 ? 0 : 1;
}
