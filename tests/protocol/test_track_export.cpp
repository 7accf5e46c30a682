// The track files: their points, times, heights and fix names as written,
// and as two other programs read them: gpsbabel gives back every point,
// xmllint finds the files well formed (each skipped where not installed).

#include "protocol/history/TrackExport.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/resource.h>
#include <vector>

using namespace protocol;

namespace {

constexpr double k2017Jan10 = 1484006400; // 2017-01-10T00:00:00Z

PositionHistory Drive() {
    PositionHistory fixes;
    fixes.Add({.UtcSeconds = k2017Jan10 + 581.25,
               .Latitude = 44.0690060,
               .Longitude = -121.3143268,
               .HeightMsl = 1144.8,
               .HeightEllipsoid = 1123.5,
               .Kind = FixKind::Fix3D,
               .DateKnown = true,
               .SatellitesUsed = 12,
               .Hdop = 0.8f,
               .Vdop = 1.38f,
               .Pdop = 1.71f});
    fixes.Add({.UtcSeconds = k2017Jan10 + 582,
               .Latitude = 44.0690160,
               .Longitude = -121.3143268,
               .HeightMsl = 1145.4,
               .Kind = FixKind::RtkFixed,
               .DateKnown = true});
    // Ten seconds later, without a date: a segment of its own.
    fixes.Add({.UtcSeconds = 592,
               .Latitude = -0.5,
               .Longitude = 179.999999,
               .HeightMsl = -3,
               .Kind = FixKind::DeadReckoning});
    return fixes;
}

std::string Output(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), n);
    EXPECT_EQ(pclose(pipe), 0) << command << "\n" << output;
    return output;
}

bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

TEST(TrackExport, GpxPointsCarryTimeHeightFixSatellitesAndDops) {
    const std::string gpx = GpxOf(Drive().All());
    const char* expected[] = {
        "<gpx version=\"1.1\" creator=\"ZEPO Monitor\" "
        "xmlns=\"http://www.topografix.com/GPX/1/1\">",
        "<trkseg>\n      <trkpt lat=\"44.06900600\" lon=\"-121.31432680\"><ele>1144.800</ele>"
        "<time>2017-01-10T00:09:41.250Z</time><geoidheight>-21.300</geoidheight><fix>3d</fix>"
        "<sat>12</sat><hdop>0.80</hdop><vdop>1.38</vdop><pdop>1.71</pdop></trkpt>",
        "<ele>1145.400</ele><time>2017-01-10T00:09:42.000Z</time><fix>dgps</fix></trkpt>\n"
        "    </trkseg>\n    <trkseg>\n",
        "<trkpt lat=\"-0.50000000\" lon=\"179.99999900\"><ele>-3.000</ele><fix>none</fix></trkpt>",
    };
    for (const char* part : expected)
        EXPECT_NE(gpx.find(part), std::string::npos) << part << "\n" << gpx;
}

TEST(TrackExport, KmlDrawsTheLineWithTimedStartAndEnd) {
    const std::string kml = KmlOf(Drive().All());
    const char* expected[] = {
        "<Placemark><name>Start</name><TimeStamp><when>2017-01-10T00:09:41.250Z</when>"
        "</TimeStamp><Point><altitudeMode>absolute</altitudeMode><coordinates>"
        "-121.31432680,44.06900600,1144.800</coordinates>",
        "<LineString><altitudeMode>absolute</altitudeMode><coordinates>\n"
        "-121.31432680,44.06900600,1144.800\n-121.31432680,44.06901600,1145.400\n"
        "179.99999900,-0.50000000,-3.000\n",
        "<Placemark><name>End</name><Point>", // no date, no time
    };
    for (const char* part : expected)
        EXPECT_NE(kml.find(part), std::string::npos) << part << "\n" << kml;
    PositionHistory noHeight;
    noHeight.Add({.Latitude = 1, .Longitude = 2, .Kind = FixKind::Fix2D});
    const std::string single = KmlOf(noHeight.All());
    EXPECT_NE(single.find("<coordinates>2.00000000,1.00000000</coordinates>"), std::string::npos);
    EXPECT_EQ(single.find("LineString"), std::string::npos) << "a line needs two points";
}

TEST(TrackExport, FilesByExtensionAndRefusals) {
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "tracks";
    std::filesystem::create_directories(folder);
    const PositionHistory fixes = Drive();
    WriteTrackFile((folder / "drive.GPX").string(), fixes.All());
    std::ifstream written(folder / "drive.GPX");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), GpxOf(fixes.All()));
    const std::pair<std::string, std::string> refused[] = {
        {(folder / "drive.txt").string(), "the file name must end in .gpx or .kml"},
        {(folder / "no" / "drive.kml").string(), "No such file or directory"},
    };
    for (const auto& [path, reason] : refused) {
        try {
            WriteTrackFile(path, fixes.All());
            ADD_FAILURE() << path;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(
                std::string(error.what()).find("Cannot write track to " + path + ": " + reason),
                std::string::npos)
                << error.what();
        }
    }
}

// A write that fails half-way, here past the largest file this process may
// write (as a full disk would), leaves the old track whole and nothing beside it.
TEST(TrackExport, AFailedWriteKeepsTheOldFile) {
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "overwrite";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "drive.gpx").string();
    std::ofstream(path) << "the old track";
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    PositionHistory many;
    for (int i = 0; i < 1000; ++i)
        many.Add(Drive()[0]);

    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit small{4096, unlimited.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN); // write fails with EFBIG instead
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(WriteTrackFile(path, many.All()), std::runtime_error);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, oldHandler);

    std::ifstream old(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "the old track");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    // Written whole, the new track takes its place and keeps its permissions.
    WriteTrackFile(path, Drive().All());
    EXPECT_EQ(std::filesystem::file_size(path), GpxOf(Drive().All()).size());
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(TrackExport, GpsbabelAndXmllintReadBothFiles) {
    if (!Installed("gpsbabel") || !Installed("xmllint"))
        GTEST_SKIP() << "gpsbabel or xmllint is not installed (tools/install-deps installs both)";
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "peers";
    std::filesystem::create_directories(folder);
    const PositionHistory fixes = Drive();
    // gpsbabel's rows: GPX gives each point's fix, DOPs, satellites and time too.
    const std::pair<const char*, std::vector<std::string>> files[] = {
        {"gpx",
         {"44.069006,-121.314327,1144.8,\"3d\",0.80,1.38,1.71,12,2017/01/10,00:09:41.250",
          "44.069016,-121.314327,1145.4,\"dgps\",,,,,2017/01/10,00:09:42",
          "-0.500000,179.999999,-3.0,\"none\",,,,,,"}},
        // KML: the line's points untimed, then the timed track's (the dated
        // fixes), each once.
        {"kml",
         {"1,44.069006,-121.314327,1144.8,,\n2,44.069016,-121.314327,1145.4,,\n"
          "3,-0.500000,179.999999,-3.0,,\n"
          "4,44.069006,-121.314327,1144.8,2017/01/10,00:09:41.250\n"
          "5,44.069016,-121.314327,1145.4,2017/01/10,00:09:42\n"}},
    };
    for (const auto& [format, rows] : files) {
        const std::string path = (folder / (std::string("peer.") + format)).string();
        WriteTrackFile(path, fixes.All());
        Output("xmllint --noout " + path + " 2>&1");
        std::string csv = Output(std::string("gpsbabel -t -i ") + format + " -f " + path +
                                 " -o unicsv -F - 2>&1");
        std::erase(csv, '\r'); // its lines end in CR LF
        for (const std::string& row : rows)
            EXPECT_NE(csv.find(row), std::string::npos) << format << ": " << row << "\n" << csv;
    }
}
