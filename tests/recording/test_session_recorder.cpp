// The session recorder's files: the raw file holds exactly the received
// bytes and the text log one timed line per message and per command; a full
// disk stops the recording with a message and leaves valid files, and so
// does a folder removed while recording, saying what was lost; a folder
// that cannot be written is refused at the start.

#include "recording/RecordingFile.h"
#include "recording/SessionRecorder.h"
#include "recording/TextLog.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct ScratchFolder {
    fs::path path = fs::temp_directory_path() / ("zepo-record-" + std::to_string(getpid()));
    ScratchFolder() { fs::create_directories(path); }
    ~ScratchFolder() {
        umount(path.c_str());
        fs::remove_all(path);
    }
};

// A disk of 64 KiB; where mounting is not allowed, a file size limit that
// refuses writes the same way (EFBIG instead of ENOSPC).
bool MakeSmallDisk(const fs::path& folder) {
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0)
        return true;
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, RLIM_INFINITY};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}
} // namespace

TEST(SessionRecorder, RawFileIsTheBytesAndTheLogHasEveryMessageAndCommand) {
    ScratchFolder scratch;
    std::int64_t clock = 1714567896000;
    {
        SessionRecorder recorder((scratch.path / "drive.ubx").string(),
                                 (scratch.path / "drive.log").string(), [&] { return clock; });
        recorder.Received("$GPGGA,1\r\n$GP", 13);
        clock += 250;
        recorder.Sent("$PUBX,00*33\r\n");
        recorder.Received("ZDA\r\n\xB5", 6);
        EXPECT_EQ(recorder.CurrentStatus().bytes, 19u);
        EXPECT_TRUE(recorder.CurrentStatus().recording);
    }
    EXPECT_EQ(Contents(scratch.path / "drive.ubx"), std::string("$GPGGA,1\r\n$GPZDA\r\n\xB5"));
    EXPECT_EQ(Contents(scratch.path / "drive.log"),
              "2024-05-01T12:51:36.000Z RX $GPGGA,1\\r\\n\n"
              "2024-05-01T12:51:36.250Z TX $PUBX,00*33\\r\\n\n"
              "2024-05-01T12:51:36.250Z RX $GPZDA\\r\\n\n"
              "2024-05-01T12:51:36.250Z RX \\xB5\n");
}

TEST(SessionRecorder, FullDiskStopsWithAMessageAndLeavesValidFiles) {
    ScratchFolder scratch;
    ASSERT_TRUE(MakeSmallDisk(scratch.path));
    SessionRecorder recorder((scratch.path / "full.nmea").string(),
                             (scratch.path / "full.log").string());
    const std::string sentence = "$GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39*7C\r\n";
    std::string sent;
    for (int round = 0; round < 2000 && recorder.CurrentStatus().recording; ++round) {
        recorder.Received(sentence.data(), sentence.size());
        sent += sentence;
    }
    const SessionRecorder::Status status = recorder.CurrentStatus();
    ASSERT_FALSE(status.recording);
    EXPECT_NE(status.error.find("Recording stopped: cannot write full."), std::string::npos)
        << status.error;
    const std::string raw = Contents(scratch.path / "full.nmea");
    EXPECT_EQ(raw.size(), status.bytes);
    EXPECT_EQ(raw, sent.substr(0, raw.size()));
    const std::string log = Contents(scratch.path / "full.log");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), '\n');
    EXPECT_EQ(ParseRecording(log, 1).chunks.size(),
              static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')));
    recorder.Received("more", 4); // ignored once stopped
    EXPECT_EQ(Contents(scratch.path / "full.nmea"), raw);
}

TEST(SessionRecorder, RemovedFolderStopsTheRecordingSayingWhatWasLost) {
    ScratchFolder scratch;
    const fs::path folder = scratch.path / "drive";
    fs::create_directory(folder);
    SessionRecorder recorder((folder / "rec.ubx").string(), (folder / "rec.log").string());
    recorder.Received("$GPGGA,1\r\n", 10);
    EXPECT_TRUE(recorder.CheckFilesKept());
    fs::remove_all(folder);
    recorder.Received("$GPZDA\r\n", 8); // the write still succeeds
    EXPECT_FALSE(recorder.CheckFilesKept());
    const SessionRecorder::Status status = recorder.CurrentStatus();
    EXPECT_FALSE(status.recording);
    EXPECT_EQ(status.bytes, 18u);
    EXPECT_EQ(status.error, "Recording stopped: rec.ubx (18 bytes written) and rec.log (80 bytes "
                            "written) were removed while recording; what was written to them is "
                            "lost.");
}

TEST(SessionRecorder, UnwritableFolderIsRefusedAtTheStart) {
    ScratchFolder scratch;
    const fs::path locked = scratch.path / "locked";
    fs::create_directory(locked);
    // Root writes through permissions: a read-only disk stops everyone.
    if (mount("tmpfs", locked.c_str(), "tmpfs", MS_RDONLY, "size=4k") != 0) {
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        if (geteuid() == 0)
            GTEST_SKIP() << "no read-only folder for root here";
    }
    const std::string path = (locked / "drive.ubx").string();
    try {
        SessionRecorder recorder(path, "");
        FAIL() << "recording started";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot record to " + path + ": ", 0), 0u)
            << error.what();
    }
    umount(locked.c_str());
}
