// The recording's files and pace: the text log gives back every byte, the
// stream is cut into the same messages however it was chunked, recordings
// of each kind are read with their times, and replay keeps the recorded
// pace on a clock the test drives.

#include "recording/MessageSplitter.h"
#include "recording/RecordingFile.h"
#include "recording/ReplaySchedule.h"
#include "recording/TextLog.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {
const std::string kUbxFrame("\xB5\x62\x05\x01\x02\x00\x06\x01\x0F\x38", 10);
const std::string kStream = "$GPGGA,1*5C\r\n" + kUbxFrame + "junk" + kUbxFrame + "$GPZDA,2\r\n";

std::vector<std::string> Messages(const std::vector<std::string>& chunks) {
    MessageSplitter splitter;
    std::vector<std::string> all;
    for (const std::string& chunk : chunks)
        for (std::string& message : splitter.Feed(chunk))
            all.push_back(std::move(message));
    if (std::string rest = splitter.TakeRest(); !rest.empty())
        all.push_back(rest);
    return all;
}
} // namespace

TEST(TextLog, EveryByteComesBackFromItsLine) {
    std::string everyByte;
    for (int value = 0; value < 256; ++value)
        everyByte += static_cast<char>(value);
    for (const std::string& bytes : {everyByte, std::string("\\x41\\\r\n"), std::string()}) {
        const LogEntry entry{1714567896789, LogDirection::Sent, bytes};
        const std::string line = FormatLogLine(entry);
        EXPECT_EQ(line.find('\n'), line.size() - 1);
        const std::optional<LogEntry> back = ParseLogLine(line);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->bytes, bytes);
        EXPECT_EQ(back->utcMs, entry.utcMs);
        EXPECT_EQ(back->direction, LogDirection::Sent);
    }
    EXPECT_EQ(FormatLogLine({1714567896789, LogDirection::Received, "$GP\r\n"}),
              "2024-05-01T12:51:36.789Z RX $GP\\r\\n\n");
}

TEST(TextLog, OtherLinesAreNotEntries) {
    for (const char* line : {"", "# a comment", "$GPGGA,1*5C", "2024-05-01T12:51:36.789Z XX a",
                             "2024-05-01T12:51:36.789 RX a", "2024-05-01T12:51:36.789Z RX \\q",
                             "2024-05-01T12:51:36.789Z RX \\x4"})
        EXPECT_FALSE(ParseLogLine(line)) << line;
}

TEST(TextLog, ImpossibleTimesAreRefusedNotCarriedOver) {
    for (const char* time :
         {"2024-13-45T99:99:99.999Z", "2023-02-29T12:00:00.000Z", "2024-04-31T12:00:00.000Z",
          "2024-05-01T24:00:00.000Z", "2024-05-01T12:60:00.000Z", "2024-00-10T12:00:00.000Z"}) {
        std::string problem;
        EXPECT_FALSE(ParseLogLine(std::string(time) + " RX $A", &problem)) << time;
        EXPECT_EQ(problem, std::string("impossible time ") + time);
    }
    const std::optional<LogEntry> leapDay = ParseLogLine("2024-02-29T23:59:59.999Z RX $A");
    ASSERT_TRUE(leapDay);
    EXPECT_EQ(FormatUtcMs(leapDay->utcMs), "2024-02-29T23:59:59.999Z");
}

TEST(MessageSplitter, SameMessagesWhereverTheChunksAreCut) {
    const std::vector<std::string> expected = {"$GPGGA,1*5C\r\n", kUbxFrame, "junk", kUbxFrame,
                                               "$GPZDA,2\r\n"};
    EXPECT_EQ(Messages({kStream}), expected);
    for (std::size_t cut = 1; cut < kStream.size(); ++cut)
        EXPECT_EQ(Messages({kStream.substr(0, cut), kStream.substr(cut)}), expected) << cut;
    const std::string endless(MessageSplitter::kLongestMessage + 10, 'x');
    EXPECT_EQ(Messages({endless}).front().size(), MessageSplitter::kLongestMessage);
}

TEST(RecordingFile, RawCaptureSkipsItsHeadAndGoesAtTheMessageRate) {
    const Recording recording =
        ParseRecording("# captured by a test suite\n#second line\n" + kStream, 4);
    EXPECT_FALSE(recording.isTextLog);
    ASSERT_EQ(recording.chunks.size(), 5u);
    std::string bytes;
    for (std::size_t index = 0; index < recording.chunks.size(); ++index) {
        EXPECT_EQ(recording.chunks[index].atMs, static_cast<std::int64_t>(index) * 250);
        bytes += recording.chunks[index].bytes;
    }
    EXPECT_EQ(bytes, kStream);
}

TEST(RecordingFile, TextLogPlaysItsReceivedLinesAtTheirTimes) {
    const std::string log = FormatLogLine({5000, LogDirection::Received, "$A\r\n"}) +
                            FormatLogLine({5100, LogDirection::Sent, "$PUBX,00*33\r\n"}) +
                            FormatLogLine({5250, LogDirection::Received, kUbxFrame});
    const Recording recording = ParseRecording(log, 1);
    EXPECT_TRUE(recording.isTextLog);
    ASSERT_EQ(recording.chunks.size(), 2u);
    EXPECT_EQ(recording.chunks[0].atMs, 0);
    EXPECT_EQ(recording.chunks[1].atMs, 250);
    EXPECT_EQ(recording.chunks[1].bytes, kUbxFrame);
}

TEST(RecordingFile, TextLogSkipsUnreadableLinesNamingThemAndGoesOn) {
    const std::string log = "2024-13-45T99:99:99.999Z RX $BAD\\r\\n\n" +
                            FormatLogLine({5000, LogDirection::Received, "$A\r\n"}) +
                            "2024-05-01T12:51:36.789Z RX \\q\n\r\n" +
                            FormatLogLine({5250, LogDirection::Received, "$B\r\n"});
    const Recording recording = ParseRecording(log, 1);
    EXPECT_TRUE(recording.isTextLog) << "a bad first line still makes a text log";
    ASSERT_EQ(recording.chunks.size(), 2u);
    EXPECT_EQ(recording.chunks[1].atMs, 250);
    EXPECT_EQ(recording.chunks[1].bytes, "$B\r\n");
    EXPECT_EQ(recording.skipped,
              std::vector<std::string>({"Line 1 skipped: impossible time 2024-13-45T99:99:99.999Z",
                                        "Line 3 skipped: broken escape"}));
}

TEST(RecordingFile, ReceivedStreamOfEachKindOfRecording) {
    const std::string folder = testing::TempDir();
    const std::string log = FormatLogLine({5000, LogDirection::Received, "$A\r\n"}) +
                            FormatLogLine({5100, LogDirection::Sent, "$PUBX,00*33\r\n"}) +
                            "2024-13-45T99:99:99.999Z RX $BAD\\r\\n\n" +
                            FormatLogLine({5250, LogDirection::Received, kUbxFrame});
    const std::pair<std::string, ReceivedStream> kinds[] = {
        {"# captured by a test suite\n" + kStream, {kStream, {}}},
        {log, {"$A\r\n" + kUbxFrame, {"Line 3 skipped: impossible time 2024-13-45T99:99:99.999Z"}}},
    };
    for (const auto& [content, expected] : kinds) {
        std::ofstream(folder + "/stream.rec", std::ios::binary) << content;
        const ReceivedStream stream = LoadReceivedStream(folder + "/stream.rec");
        EXPECT_EQ(stream.bytes, expected.bytes);
        EXPECT_EQ(stream.skipped, expected.skipped);
    }
    try {
        LoadReceivedStream(folder);
        ADD_FAILURE() << "a folder was read";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), "Cannot open recording " + folder + ": Is a directory");
    }
}

TEST(ReplaySchedule, KeepsTheRecordedPaceThroughPauseStepAndJump) {
    Recording recording;
    for (int index = 0; index < 10; ++index)
        recording.chunks.push_back({index * 100, std::string(10, static_cast<char>('0' + index))});
    ReplaySchedule schedule(recording);
    EXPECT_EQ(schedule.TakeDue(0, 1000), "") << "a new schedule waits for Resume";
    schedule.Resume(1000);
    EXPECT_EQ(schedule.TakeDue(1000, 1000), std::string(10, '0'));
    EXPECT_EQ(schedule.TakeDue(1099, 1000), "");
    EXPECT_EQ(schedule.NextDueMs(), 1100);
    EXPECT_EQ(schedule.TakeDue(1250, 1000), std::string(10, '1') + std::string(10, '2'));
    schedule.Pause();
    EXPECT_EQ(schedule.TakeDue(5000, 1000), "");
    EXPECT_EQ(schedule.TakeStep(), std::string(10, '3'));
    EXPECT_DOUBLE_EQ(schedule.Progress(), 0.4);
    schedule.Resume(6000); // the next chunk at once, the one after 100 ms later
    EXPECT_EQ(schedule.TakeDue(6000, 1000), std::string(10, '4'));
    EXPECT_EQ(schedule.TakeDue(6099, 1000), "");
    schedule.Seek(0.25, 7000); // back into the third chunk: it starts again
    EXPECT_EQ(schedule.TakeDue(7000, 1000), std::string(10, '2'));
    schedule.SetAsFastAsPossible(true, 7000);
    EXPECT_EQ(schedule.TakeDue(7000, 25).size(), 30u) << "a take ends past its bound";
    EXPECT_EQ(schedule.TakeDue(7000, 1000).size(), 40u);
    EXPECT_TRUE(schedule.Finished());
    EXPECT_DOUBLE_EQ(schedule.Progress(), 1.0);
}
