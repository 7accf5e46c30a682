#include "window/app/TrackExportRun.h"

#include "protocol/history/StreamFixes.h"
#include "protocol/history/TrackExport.h"
#include "recording/RecordingFile.h"
#include "window/app/ConsoleRun.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
const char* const kOption = "--export-track";
const char* const kUsage = "usage: zepo-monitor --export-track OUT.gpx|OUT.kml RECORDING";

struct ExportPaths {
    std::string track;
    std::string recording;
};

ExportPaths ParsePaths(int argc, char* argv[]) {
    std::vector<std::string> words;
    std::string track;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if (argument == kOption) {
            if (index + 1 >= argc)
                throw std::invalid_argument("--export-track needs the track file to write");
            track = argv[++index];
        } else if (argument.rfind(std::string(kOption) + "=", 0) == 0) {
            track = argument.substr(std::string(kOption).size() + 1);
        } else if (argument.rfind("--", 0) == 0) {
            throw std::invalid_argument(argument + " is no option of --export-track");
        } else {
            words.push_back(argument);
        }
    }
    if (track.empty() || words.size() != 1)
        throw std::invalid_argument("--export-track needs a track file and one recording");
    return {track, words.front()};
}

int Export(const ExportPaths& paths) {
    if (!protocol::TrackFormatOf(paths.track))
        throw std::runtime_error("Cannot write track to " + paths.track +
                                 ": the file name must end in .gpx or .kml");
    const ReceivedStream stream = LoadReceivedStream(paths.recording);
    for (const std::string& skipped : stream.skipped)
        std::cerr << skipped << '\n';
    const protocol::PositionHistory fixes = protocol::FixesOfStream(stream.bytes);
    if (fixes.empty())
        throw std::runtime_error("No fixes in " + paths.recording + ": no track written");
    protocol::WriteTrackFile(paths.track, fixes.All());
    std::cout << "Wrote " << fixes.size() << (fixes.size() == 1 ? " fix" : " fixes") << " to "
              << paths.track << std::endl;
    return 0;
}
} // namespace

std::optional<int> RunTrackExportIfAsked(int argc, char* argv[]) {
    bool asked = false;
    for (int index = 1; index < argc; ++index)
        asked = asked || std::string(argv[index]).rfind(kOption, 0) == 0;
    if (!asked)
        return std::nullopt;
    return RunOnConsole(
        kUsage, [&] { return ParsePaths(argc, argv); }, Export);
}
