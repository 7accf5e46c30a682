// Sentence fields as the decoders read them: numbers read as std::from_chars
// reads them, and fields split at every comma up to "*" or the line end.

#include "protocol/decoding/Decoder.h"
#include "protocol/decoding/NumberText.h"

#include <charconv>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace protocol;

namespace {

std::optional<int> ReferenceInteger(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> ReferenceNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

void ExpectSameAsFromChars(const std::string& text) {
    EXPECT_EQ(IntegerText(text), ReferenceInteger(text)) << '"' << text << '"';
    const auto number = NumberText(text);
    const auto reference = ReferenceNumber(text);
    ASSERT_EQ(number.has_value(), reference.has_value()) << '"' << text << '"';
    if (number) { // bit for bit, the sign of zero included
        EXPECT_EQ(std::signbit(*number), std::signbit(*reference)) << '"' << text << '"';
    }
    EXPECT_EQ(number, reference) << '"' << text << '"';
}

// The fields of "$PXYZ,<body>" as the decoder lists them for a sentence it
// does not know: by position.
std::vector<std::string> ListedFields(const std::string& body) {
    std::vector<std::string> values;
    for (const auto& field : DecodeNmea("$PXYZ," + body).Fields)
        values.push_back(field.Value);
    return values;
}

std::vector<std::string> ReferenceFields(const std::string& body) {
    std::vector<std::string> fields(1);
    for (const char c : body) {
        if (c == '*' || c == '\r' || c == '\n')
            break;
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

} // namespace

TEST(NumberText, ReadsWhatFromCharsReads) {
    for (const char* text : {"",
                             "-",
                             "0",
                             "-0",
                             "7",
                             "-12",
                             "007",
                             "123456789",
                             "-123456789",
                             "2147483647",
                             "2147483648",
                             "-2147483648",
                             "-2147483649",
                             "99999999999999999999",
                             "0000000000005",
                             "4807.038",
                             "-0.0",
                             "0.1",
                             "1.",
                             ".5",
                             "-.5",
                             "1.2.3",
                             "+1",
                             " 1",
                             "1 ",
                             "1e5",
                             "1E-3",
                             "inf",
                             "-nan",
                             "0x1A",
                             "12a",
                             "9007199254740993",
                             "9007199254740993.5",
                             "1.00000000000000000000001",
                             "123456789012345678901234567890",
                             "1e400",
                             "0.000001"})
        ExpectSameAsFromChars(text);
}

TEST(NumberText, RandomDecimalsReadAsFromCharsReadsThem) {
    std::mt19937 random(11);
    const std::string alphabet = "0123456789.-e";
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = std::uniform_int_distribution<int>(0, 22)(random);
        const bool mostlyDigits = round % 2 == 0;
        for (int i = 0; i < length; ++i)
            text += mostlyDigits && i != length / 2
                        ? alphabet[std::uniform_int_distribution<std::size_t>(0, 9)(random)]
                        : alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() -
                                                                                     1)(random)];
        ExpectSameAsFromChars(text);
    }
}

TEST(SentenceFields, SplitAtEveryCommaUpToTheEndWhereverTheWordsFall) {
    for (const std::string& body :
         {std::string(""), std::string(","), std::string("a,b*5C\r\n"),
          std::string("1,22,333,4444,55555,666666,7777777,88888888,9\r\n"),
          std::string("x,,,,,,,,,,,,,,,,,,,y"), std::string("ab\0,c", 5),
          std::string("12345678\r,9"), std::string("1234567\n,9")})
        EXPECT_EQ(ListedFields(body), ReferenceFields(body)) << body;

    std::mt19937 random(3);
    const std::string alphabet(",,,,abc12*\r\n\0", 13); // the last four end or pad
    for (int round = 0; round < 5000; ++round) {
        std::string body;
        // Some longer than the room kept in place for a sentence's fields.
        const int length =
            std::uniform_int_distribution<int>(0, round % 8 == 0 ? 700 : 120)(random);
        for (int i = 0; i < length; ++i)
            body += alphabet[std::uniform_int_distribution<std::size_t>(
                0, alphabet.size() - (round % 3 == 0 ? 1 : 5))(random)];
        EXPECT_EQ(ListedFields(body), ReferenceFields(body)) << body;
    }
}
