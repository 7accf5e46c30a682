#include "protocol/ReceiveText.h"
#include "protocol/ReceiveView.h"
#include "tests/protocol/StreamBytes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace std::string_literals;

namespace {
const std::string kTwoSentences = "$GPGGA,1\r\n$GPZDA,2\r\n";
const std::string kNmeaWatchGga = "GGA SysFix      p.49";
const std::string kPubxWatchInitial = "Watch for PUBX messages";

// Item splitting one character at a time, as the algorithm reads.
TLines CharwiseSplit(const std::string& text, char separator) {
    const std::size_t end = std::min(text.find('\0'), text.size());
    const auto blank = [&](std::size_t i) {
        return i < end && static_cast<unsigned char>(text[i]) <= 32;
    };
    TLines items;
    std::size_t i = 0;
    while (blank(i))
        ++i;
    while (i < end) {
        std::string item;
        if (text[i] == '"') {
            for (++i; i < end; ++i) {
                if (text[i] != '"') {
                    item += text[i];
                } else if (i + 1 < end && text[i + 1] == '"') {
                    item += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < end && text[i] != separator && !blank(i))
                item += text[i++];
        }
        items.push_back(item);
        while (blank(i))
            ++i;
        if (i < end && text[i] == separator) {
            if (i + 1 == end)
                items.emplace_back();
            for (++i; blank(i);)
                ++i;
        }
    }
    return items;
}

// The Decimal and Hexa views written out step by step: every byte's number
// and "-", then each CR LF pattern replaced by "|", then cut at "|".
TLines StepwiseNumberedView(const std::string& chunk, bool hex) {
    std::string text;
    for (unsigned char byte : chunk) {
        char number[8];
        std::snprintf(number, sizeof number, hex ? "%X-" : "%u-", byte);
        text += number;
    }
    const std::string pattern = hex ? "-D-A-" : "-13-10-";
    std::string replaced;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(pattern, pos)) != std::string::npos;
         pos = hit + pattern.size())
        replaced += text.substr(pos, hit - pos) + "|";
    replaced += text.substr(pos);
    return DelimitedSplit(replaced, '|');
}
} // namespace

TEST(DelimitedSplit, CutsQuotesAndEndsAsDescribed) {
    struct Case {
        const char* legend;
        std::string text;
        char separator;
        TLines items;
    };
    const Case cases[] = {
        {"plain", "a|b", '|', {"a", "b"}},
        {"two separators give an empty item", "a||b", '|', {"a", "", "b"}},
        {"separator at the very end", "a|", '|', {"a", ""}},
        {"separator then blank is not at the end", "a| ", '|', {"a"}},
        {"leading separator", "|a", '|', {"", "a"}},
        {"lone separator", "|", '|', {"", ""}},
        {"blanks cut and vanish", "  a \t b\x01\x1f c ", '|', {"a", "b", "c"}},
        {"quoted item keeps blanks and separators", "\"a b|c\"|d", '|', {"a b|c", "d"}},
        {"doubled quote inside quotes", "\"say \"\"hi\"\"\"", '|', {"say \"hi\""}},
        {"unclosed quote runs to the end", "x|\"open end", '|', {"x", "open end"}},
        {"empty quotes", "\"\"", '|', {""}},
        {"text after a closing quote is a new item", "\"a\"b", '|', {"a", "b"}},
        {"quote inside an item is plain", "a\"b c\"", '|', {"a\"b", "c\""}},
        {"NUL ends the text", "a|b\0|c"s, '|', {"a", "b"}},
        {"NUL first", "\0abc"s, '|', {}},
        {"empty", "", '|', {}},
        {"only blanks", " \r\n ", '|', {}},
        {"LF never gives empty items", "a\r\n\r\nb\n\n", '\n', {"a", "b"}},
        {"Latin-1 bytes are ordinary", "\xB5\x62|\xFF", '|', {"\xB5\x62", "\xFF"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DelimitedSplit(c.text, c.separator), c.items) << c.legend;
}

TEST(DelimitedSplit, AgreesWithCharwiseSplittingOnRandomTexts) {
    std::mt19937 random(1207);
    const std::string words[] = {"$GPGGA,092751.000,5321.6802,N",
                                 "a",
                                 "|",
                                 "\n",
                                 "\r\n",
                                 " ",
                                 "\t",
                                 "\"",
                                 "\"\"",
                                 "\xB5\xFF\x80",
                                 "\x7F!",
                                 "\x01",
                                 std::string(1, '\0'),
                                 "0123456789abcdef"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int piece = random() % 12; piece > 0; --piece)
            text += words[random() % std::size(words)];
        for (char separator : {'|', '\n', ',', '\xB5', ' '})
            EXPECT_EQ(DelimitedSplit(text, separator), CharwiseSplit(text, separator));
    }
}

TEST(RenderChunk, EachViewOfReceivedChunks) {
    struct Case {
        const char* legend;
        std::string chunk;
        ViewMode mode;
        TLines lines;
    };
    const Case cases[] = {
        {"two sentences, ASCII",
         kTwoSentences,
         ViewMode::vmASCII,
         {"$GPGGA,1<CR><LF>", "$GPZDA,2<CR><LF>", ""}},
        {"two sentences, Decimal",
         kTwoSentences,
         ViewMode::vmDecimal,
         {"36-71-80-71-71-65-44-49", "36-71-80-90-68-65-44-50", ""}},
        {"two sentences, Hexa",
         kTwoSentences,
         ViewMode::vmHexa,
         {"24-47-50-47-47-41-2C-31", "24-47-50-5A-44-41-2C-32", ""}},
        {"two sentences, NMEA", kTwoSentences, ViewMode::vmNMEA, {"$GPGGA,1", "$GPZDA,2"}},
        {"leading CR LF is no cut, Decimal", "\r\n$G", ViewMode::vmDecimal, {"13-10-36-71-"}},
        {"leading CR LF is no cut, Hexa", "\r\n$G", ViewMode::vmHexa, {"D-A-24-47-"}},
        {"two CR LF in a row, Decimal", "A\r\n\r\nB", ViewMode::vmDecimal, {"65", "13-10-66-"}},
        {"two CR LF in a row, Hexa", "A\r\n\r\nB", ViewMode::vmHexa, {"41", "D-A-42-"}},
        {"lone CR and LF are no cut", "A\rB\nC", ViewMode::vmHexa, {"41-D-42-A-43-"}},
        {"NUL and high bytes, Decimal", "\0\xB5\xFF"s, ViewMode::vmDecimal, {"0-181-255-"}},
        {"NUL and high bytes, Hexa", "\0\xB5\x0F"s, ViewMode::vmHexa, {"0-B5-F-"}},
        {"NUL named in ASCII", "A\0B"s, ViewMode::vmASCII, {"A<NUL>B"}},
        {"NUL cuts NMEA like a blank",
         "$GPGGA\0,1\r\n$GPZDA\r\n"s,
         ViewMode::vmNMEA,
         {"$GPGGA", ",1", "$GPZDA"}},
        {"bar and blank cut ASCII lines",
         "a|b c\r\n",
         ViewMode::vmASCII,
         {"a", "b", "c<CR><LF>", ""}},
        {"quote groups ASCII text", "\"a b\"c", ViewMode::vmASCII, {"a b", "c"}},
        {"blank in a sentence, NMEA", "$GPTXT,a b\r\n", ViewMode::vmNMEA, {"$GPTXT,a", "b"}},
        {"NUL cuts an NMEA line like the TAB beside it",
         "$GPTXT,a\tb\0c\r\n"s,
         ViewMode::vmNMEA,
         {"$GPTXT,a", "b", "c"}},
        {"NUL in quotes named like the TAB beside it",
         "\"a\tb\0c\"\r\n"s,
         ViewMode::vmNMEA,
         {"a<TAB>b<NUL>c"}},
        {"a chunk by itself shows its last line's end", "$A\r\n$B", ViewMode::vmNMEA, {"$A", "$B"}},
        {"UBX bytes in ASCII",
         "\xB5\x62\x06\x13\x00"s,
         ViewMode::vmASCII,
         {"\xB5\x62<ACK><DC3><NUL>"}},
    };
    for (const auto& c : cases) {
        const auto lines = RenderChunk(c.chunk, c.mode);
        ASSERT_TRUE(lines.has_value()) << c.legend;
        EXPECT_EQ(*lines, c.lines) << c.legend;
    }
    EXPECT_FALSE(RenderChunk(kTwoSentences, ViewMode::vmUBX).has_value());
    EXPECT_FALSE(RenderChunk(kTwoSentences, static_cast<ViewMode>(7)).has_value());
}

TEST(RenderChunk, NumberedViewsAgreeWithStepwiseRenderingOnRandomChunks) {
    std::mt19937 random(4711);
    const char alphabet[] = {'\r', '\n', '\r', '\n', '$', 'G', '\0', '\xB5', '-', '1', '3'};
    for (int round = 0; round < 2000; ++round) {
        std::string chunk(random() % 24, ' ');
        for (char& c : chunk)
            c = alphabet[random() % sizeof alphabet];
        EXPECT_EQ(*RenderChunk(chunk, ViewMode::vmDecimal), StepwiseNumberedView(chunk, false));
        EXPECT_EQ(*RenderChunk(chunk, ViewMode::vmHexa), StepwiseNumberedView(chunk, true));
    }
}

TEST(RenderChunk, WorstCaseChunksStayWithinFiveCharactersPerByte) {
    for (const std::string& chunk :
         {std::string(4096, '\0'), std::string(4096, '|'), std::string(4096, '\xFF'), [] {
              std::string crlf;
              for (int i = 0; i < 2048; ++i)
                  crlf += "\r\n";
              return crlf;
          }()}) {
        for (ViewMode mode :
             {ViewMode::vmASCII, ViewMode::vmDecimal, ViewMode::vmHexa, ViewMode::vmNMEA}) {
            std::size_t total = 0;
            const TLines lines = *RenderChunk(chunk, mode);
            for (const auto& line : lines)
                total += line.size();
            EXPECT_LE(total, 5 * chunk.size());
            EXPECT_LE(lines.size(), chunk.size() + 1);
        }
    }
}

TEST(FoundUbx, OnlyAFirstSyncByteInTheUbxView) {
    EXPECT_TRUE(FoundUbx("\xB5\x62\x01\x07"s, ViewMode::vmUBX));
    EXPECT_TRUE(FoundUbx("\xB5\x00"s, ViewMode::vmUBX));
    EXPECT_FALSE(FoundUbx("\x24\xB5\x62"s, ViewMode::vmUBX));
    EXPECT_FALSE(FoundUbx("", ViewMode::vmUBX));
    EXPECT_FALSE(FoundUbx("\xB5\x62"s, ViewMode::vmHexa));
}

TEST(WatchKeys, FromTheDropDownTexts) {
    struct Case {
        std::string text, nmeaKey, pubxKey;
    };
    const Case cases[] = {
        {kNmeaWatchGga, "$??GGA", "GGA S"},
        {"Watch", "$??Wat", "Watch"},
        {"    Watch Off", "$??   ", "    W"},
        {"$PUBX,00  UBX00 Lat/Lon Position Data", "$??$PU", "$PUBX"},
        {"PUBX Message Watch Off", "$??PUB", "PUBX "},
        {kPubxWatchInitial, "$??Wat", "Watch"},
        {"$PUB", "$??$PU", ""}, // too short for a PUBX key: watch off
        {"GG", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NmeaWatchKey(c.text), c.nmeaKey) << c.text;
        EXPECT_EQ(PubxWatchKey(c.text), c.pubxKey) << c.text;
    }
}

TEST(WatchKeys, NmeaKeyMatchesTheSentenceFromAnyTalker) {
    const std::string gga = NmeaWatchKey(kNmeaWatchGga);
    struct Case {
        std::string line, key;
        bool matches;
    };
    const Case cases[] = {
        {"$GPGGA,1", gga, true},
        {"$GNGGA,1", gga, true},
        {"$GLGGA,1", gga, true},
        {"$BDGGA,1", gga, true},
        {"\xB5x$GNGGA,1", gga, true}, // after bytes glued to it
        {"$GPGSA,GGA,$GNGGA", gga, true},
        {"$GPGSA,1", gga, false},
        {"$GPGG", gga, false},
        {"GPGGA,1", gga, false},
        {"$gpgga,1", gga, false},
        {"$PUBX,00,1", "$PUBX", true},
        {"$PUBX,00,1", "$PUBY", false},
        {"$GPGGA,1", "", false},
        {"", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LineMatchesWatch(c.line, c.key), c.matches) << c.line << " / " << c.key;
}

TEST(DecodeChunk, WatchesAndDataPaneForOneChunk) {
    const TChunkDisplay nmea =
        DecodeChunk(kTwoSentences, ViewMode::vmNMEA, kNmeaWatchGga, kPubxWatchInitial);
    EXPECT_EQ(nmea.DataLines, (TLines{"$GPGGA,1", "$GPZDA,2"}));
    EXPECT_EQ(nmea.NmeaWatchLines, (TLines{"$GPGGA,1"}));
    EXPECT_TRUE(nmea.PubxWatchLines.empty());
    EXPECT_FALSE(nmea.FoundUbx);

    const std::string pubx = "$PUBX,00,1\r\n$GPGGA,2\r\n$PUBX,04,3\r\n";
    const TChunkDisplay ascii =
        DecodeChunk(pubx, ViewMode::vmASCII, kNmeaWatchGga, "$PUBX,03  UBX03 Satellite Status");
    EXPECT_EQ(ascii.PubxWatchLines, (TLines{"$PUBX,00,1", "$PUBX,04,3"}));
    EXPECT_TRUE(ascii.NmeaWatchLines.empty()) << "NMEA watch runs in the NMEA view only";
    EXPECT_EQ(ascii.DataLines, *RenderChunk(pubx, ViewMode::vmASCII));

    const std::string withWords = "Watch this\r\nPUBX off \"PUBX off\"\r\n";
    EXPECT_EQ(DecodeChunk(withWords, ViewMode::vmHexa, "", kPubxWatchInitial).PubxWatchLines,
              (TLines{"Watch"}));
    EXPECT_EQ(DecodeChunk(withWords, ViewMode::vmHexa, "", "PUBX Message Watch Off").PubxWatchLines,
              (TLines{"PUBX off"}))
        << "a key ending in a blank matches inside quotes only";
    EXPECT_TRUE(DecodeChunk(kTwoSentences, ViewMode::vmNMEA, "", "").NmeaWatchLines.empty());

    const TChunkDisplay ubx =
        DecodeChunk("\xB5\x62\x05\x01"s, ViewMode::vmUBX, kNmeaWatchGga, kPubxWatchInitial);
    EXPECT_TRUE(ubx.FoundUbx);
    EXPECT_FALSE(ubx.DataLines.has_value());
}

TEST(ReceiveText, LeavesOutRightFramesAndCompletesLinesAcrossChunks) {
    const std::string frame = UbxBytes(0x0A, 0x04, "$GPGGA,9*00\r\n\xB5\x62\0"s);
    const std::string ack = UbxBytes(0x05, 0x01, "\x06\x13");
    const std::string broken = ack.substr(0, ack.size() - 1) + "x";
    const std::string stray = "\xB5\x62\x01\x07\x10\x00"s; // claims 16 bytes of payload
    const std::string line(kLongestHeldLine, 'x');
    struct Case {
        const char* legend;
        std::vector<std::string> chunks;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"frame between sentences", {"$A\r\n" + frame + "$B\r\n"}, {"$A\r\n$B\r\n"}},
        {"frame cut between chunks",
         {"$A\r\n" + frame.substr(0, 5), frame.substr(5) + "$B\r\n"},
         {"$A\r\n", "$B\r\n"}},
        {"frame over four chunks",
         {"$A\r\n" + frame.substr(0, 1), frame.substr(1, 4), frame.substr(5, 9),
          frame.substr(14) + "$B\r\n"},
         {"$A\r\n", "", "", "$B\r\n"}},
        {"broken frame is shown", {"$A" + broken + "\n"}, {"$A" + broken + "\n"}},
        {"stray header is shown once its length has come",
         {"$A\r\n" + stray, "$B\r\n", "$C,0123456789\r\n"},
         {"$A\r\n", "", stray + "$B\r\n$C,0123456789\r\n"}},
        {"stray pair before a sentence", {"\xB5\x62$GPGGA\r\n"}, {"\xB5\x62$GPGGA\r\n"}},
        {"sync byte alone is text", {"\xB5x\r\n"}, {"\xB5x\r\n"}},
        {"NUL stays in the text", {"$A\0$B\r\n"s}, {"$A\0$B\r\n"s}},
        {"line cut between chunks",
         {"$A,1", "2\r", "\n$B", "\r\n"},
         {"", "$A,12\r", "\n", "$B\r\n"}},
        {"text without line ends is held up to its bound", {line, "y", "z"}, {"", line + "y", ""}},
    };
    for (const auto& c : cases) {
        TReceiveTextFilter filter;
        std::vector<std::string> texts;
        for (const auto& chunk : c.chunks)
            texts.push_back(filter.Text(chunk));
        EXPECT_EQ(texts, c.texts) << c.legend;
    }
}

TEST(DecodeChunk, MixedUbxAndNmeaReachTheNmeaViewAndWatches) {
    const std::string frame = UbxBytes(0x01, 0x07, std::string(92, '\0'));
    const std::string chunk =
        "$GPRMC,1\r\n" + frame + "$GPGGA,2\r\n$PUBX,00,3\r\n" + frame + "\"a\r\nb\"\r\n";
    TReceiveTextFilter filter;
    const TChunkDisplay nmea =
        DecodeChunk(chunk, ViewMode::vmNMEA, kNmeaWatchGga, "$PUBX,00", filter);
    EXPECT_EQ(nmea.DataLines, (TLines{"$GPRMC,1", "$GPGGA,2", "$PUBX,00,3", "a<CR><LF>b"}));
    EXPECT_EQ(nmea.NmeaWatchLines, (TLines{"$GPGGA,2"}));
    EXPECT_EQ(nmea.PubxWatchLines, (TLines{"$PUBX,00,3"}));
    const TChunkDisplay hexa = DecodeChunk(chunk, ViewMode::vmHexa, kNmeaWatchGga, "$PUBX", filter);
    EXPECT_EQ(hexa.PubxWatchLines, (TLines{"$PUBX,00,3"}));
    EXPECT_EQ(hexa.DataLines, RenderChunk(chunk, ViewMode::vmHexa))
        << "other views show every byte";
}
