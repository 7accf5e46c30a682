// Random receiver output, NMEA sentences between UBX and RTCM 3 frames right
// and broken and stray sync pairs, cut into chunks of every size: the NMEA view and the
// GGA watch get every sentence once and whole, the text holds every byte but
// those of the frames with the right checksum.

#include "protocol/ReceiveText.h"
#include "protocol/ReceiveView.h"
#include "protocol/Rtcm3Frame.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>
#include <random>

namespace {

struct TStream {
    std::string bytes;
    std::string text; // the bytes less the frames with the right checksum
    std::vector<std::string> sentences;
    std::vector<std::string> ggaSentences;
    std::vector<std::string> brokenPayloads;
};

class TStreamMaker {
public:
    explicit TStreamMaker(unsigned seed) : random_(seed) {}

    TStream Make(int pieces) {
        for (int piece = 0; piece < pieces; ++piece) {
            switch (random_() % 8) {
            case 0:
                RightFrame(random_() % 40);
                break;
            case 1:
                BrokenFrame();
                break;
            case 2:
                // A stray pair: the sentence after it gives a length too large.
                Text("\xB5\x62");
                break;
            case 3:
                // A stray header: the text after it is held up to the length it
                // claims, and shown when the checksum fails.
                Text(std::string("\xB5\x62\x01\x07", 4) + char(1 + random_() % 60) + '\0');
                break;
            case 4:
                stream_.bytes += protocol::BuildRtcm3Frame(RandomPayload(random_() % 300));
                break;
            case 5:
                // An RTCM 3 header: the text after it is held, then shown when the CRC fails.
                Text(std::string("\xD3\x00", 2) + char(1 + random_() % 60));
                break;
            default:
                break;
            }
            Sentence();
        }
        RightFrame(3000);                    // spans many chunks
        for (int last = 0; last < 3; ++last) // ends whatever is held
            Sentence();
        return std::move(stream_);
    }

private:
    void Text(const std::string& bytes) {
        stream_.bytes += bytes;
        stream_.text += bytes;
    }

    void Sentence() {
        static const char* const kTalkers[] = {"GP", "GN", "GL"};
        static const char* const kTypes[] = {"GGA", "RMC", "GSV", "GSA", "TXT"};
        static const char* const kFields[] = {
            ".00,4717.11399,N,00833.91590,E,1,08,1.01,499.6,M,48.0,M,,",
            ".00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,A",
            ",38,230,44,29,71,156,47,07,29,116,41,08,09,081,36",
            ",29,07,08,09,18,26,28,,,,,1.94,1.18,1.54",
            ",ANTSTATUS=OK",
        };
        const std::size_t type = random_() % std::size(kTypes);
        // The running number makes each sentence unique.
        const std::string body = std::string(kTalkers[random_() % std::size(kTalkers)]) +
                                 kTypes[type] + "," + std::to_string(++count_) + kFields[type];
        const std::string line = NmeaLine(body);
        Text(line);
        const std::string sentence = line.substr(0, line.size() - 2);
        stream_.sentences.push_back(sentence);
        if (type == 0)
            stream_.ggaSentences.push_back(sentence);
    }

    std::string RandomPayload(std::size_t size) {
        std::string payload(size, '\0');
        for (char& byte : payload)
            byte = char(0xC0 + random_() % 0x40);
        return payload;
    }

    void RightFrame(std::size_t size) {
        std::string payload = RandomPayload(size);
        if (random_() % 2)
            payload += "$GNGGA,LEAK*00\r\n";
        stream_.bytes += UbxBytes(0x01, 0x07, payload);
    }

    // Its payload never holds the sync byte, so only its own header is looked at.
    void BrokenFrame() {
        std::string payload(4 + random_() % 40, '\0');
        for (char& byte : payload)
            do
                byte = char(0x80 + random_() % 0x40);
            while (byte == '\xB5');
        std::string frame = UbxBytes(0x02, 0x15, payload);
        frame.back() ^= 1;
        Text(frame);
        stream_.brokenPayloads.push_back(payload);
    }

    std::mt19937 random_;
    TStream stream_;
    int count_ = 0;
};

std::string Joined(const TLines& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + '\n';
    return text;
}

// Each of items in text once, whole within a line, in order. (A quote byte
// in a broken frame's bytes may join the lines after it into one quoted item:
// the sentences in it are whole still.)
void ExpectEachOnceInOrder(const std::string& text, const std::vector<std::string>& items,
                           std::size_t chunkSize) {
    std::size_t pos = 0;
    for (const auto& item : items) {
        const std::size_t found = text.find(item, pos);
        ASSERT_NE(found, std::string::npos) << item << " in chunks of " << chunkSize;
        EXPECT_EQ(text.find(item, found + 1), std::string::npos) << item;
        pos = found + item.size();
    }
}

} // namespace

TEST(ReceiveTextStream, EverySentenceOnceAndWholeWhateverTheChunks) {
    const TStream stream = TStreamMaker(20240611).Make(160);
    std::vector<std::size_t> chunkSizes;
    for (std::size_t size = 1; size <= 64; ++size)
        chunkSizes.push_back(size);
    for (std::size_t size : {97, 500, 1499, 4096})
        chunkSizes.push_back(size);
    chunkSizes.push_back(stream.bytes.size());

    for (std::size_t size : chunkSizes) {
        TReceiveTextFilter textFilter;
        TReceiveTextFilter viewFilter;
        std::string text;
        TLines view;
        TLines ggaWatch;
        for (std::size_t pos = 0; pos < stream.bytes.size(); pos += size) {
            const std::string_view chunk = std::string_view(stream.bytes).substr(pos, size);
            text += textFilter.Text(chunk);
            const TChunkDisplay display =
                DecodeChunk(chunk, ViewMode::vmNMEA, "GGA SysFix      p.49", "", viewFilter);
            view.insert(view.end(), display.DataLines->begin(), display.DataLines->end());
            ggaWatch.insert(ggaWatch.end(), display.NmeaWatchLines.begin(),
                            display.NmeaWatchLines.end());
        }
        ASSERT_EQ(text, stream.text) << "in chunks of " << size;
        const std::string viewText = Joined(view);
        ExpectEachOnceInOrder(viewText, stream.sentences, size);
        ExpectEachOnceInOrder(Joined(ggaWatch), stream.ggaSentences, size);
        EXPECT_EQ(viewText.find("LEAK"), std::string::npos) << "in chunks of " << size;
        for (const auto& payload : stream.brokenPayloads)
            EXPECT_NE(viewText.find(payload), std::string::npos) << "in chunks of " << size;
    }
}
