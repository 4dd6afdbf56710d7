// Text cleaning, segmentation, symbol values and element widths.
#include "barcode/Code128Encoder.h"
#include "barcode/Code128Table.h"
#include "barcode/TextCleaner.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tav::barcode {
namespace {

using Values = std::vector<std::uint8_t>;

// The symbol values of `text`: segmentation, then values.
Values encodeValues(std::string_view text) {
    std::vector<Segment> segments;
    Values values;
    segmentText(text, segments);
    symbolValues(text, segments, values);
    return values;
}

std::string cleaned(std::string_view text) {
    std::string out;
    cleanText(text, out);
    return out;
}

// Segments as "B:AB C:1234" for readable comparisons.
std::string describeSegments(std::string_view text) {
    std::vector<Segment> segments;
    segmentText(text, segments);
    std::string out;
    for (const Segment& s : segments) {
        if (!out.empty())
            out += ' ';
        out += s.set == CodeSet::B ? "B:" : "C:";
        out += text.substr(s.begin, s.size());
    }
    return out;
}

Values withStop(Values values) {
    values.push_back(kStop);
    return values;
}

struct Encoding {
    int row;
    const char* text;
    const char* segments;
    Values values; // start to check; the stop follows
};

// Rows 1-13: each way a text is split into sets: letters only, digits only, a digit run after
// letters (even, odd, too short for set C), short runs that stay in set B, a run at the start
// with letters or one digit after it, a run between letters, the empty text. Rows 14-21: digit
// runs of one to five digits, odd runs inside the text and runs at the start.
const std::vector<Encoding> kEncodings = {
    {1, "ABC", "B:ABC", {104, 33, 34, 35, 1}},
    {2, "12345678", "C:12345678", {105, 12, 34, 56, 78, 47}},
    {3, "AB12345", "B:AB1 C:2345", {104, 33, 34, 17, 99, 23, 45, 7}},
    {4, "AB123", "B:AB1 C:23", {104, 33, 34, 17, 99, 23, 46}},
    {5, "AB1234", "B:AB B:1234", {104, 33, 34, 17, 18, 19, 20, 28}},
    {6, "1234", "B:1234", {104, 17, 18, 19, 20, 88}},
    {7, "123", "B:12 B:3", {104, 17, 18, 19, 8}},
    {8, "12345", "C:1234 B:5", {105, 12, 34, 100, 21, 54}},
    {9, "1234AB", "C:1234 B:AB", {105, 12, 34, 100, 33, 34, 66}},
    {10, "12345AB", "C:1234 B:5AB", {105, 12, 34, 100, 21, 33, 34, 11}},
    {11, "AB1234CD", "B:AB C:1234 B:CD", {104, 33, 34, 99, 12, 34, 100, 35, 36, 102}},
    {12, "AB12CD", "B:AB B:12CD", {104, 33, 34, 17, 18, 35, 36, 101}},
    {13, "", "", {105, 2}},
    {14, "1", "B:1", {104, 17, 18}},
    {15, "12", "B:12", {104, 17, 18, 54}},
    {16, "123456", "C:123456", {105, 12, 34, 56, 44}},
    {17, "A12345B", "B:A C:1234 B:5B", {104, 33, 99, 12, 34, 100, 21, 34, 32}},
    {18, "A123B", "B:A B:123B", {104, 33, 17, 18, 19, 34, 59}},
    {19, "1A2", "B:1A B:2", {104, 17, 33, 18, 35}},
    {20, "AB1234567", "B:AB1 C:234567", {104, 33, 34, 17, 99, 23, 45, 67, 64}},
    {21, "00", "B:00", {104, 16, 16, 49}},
};

TEST(Code128Encoder, TextsGiveTheirSegmentsAndSymbolValues) {
    for (const auto& example : kEncodings) {
        SCOPED_TRACE("row " + std::to_string(example.row) + ": \"" + example.text + "\"");
        EXPECT_EQ(describeSegments(example.text), example.segments);
        EXPECT_EQ(encodeValues(example.text), withStop(example.values));
    }
}

TEST(Code128Encoder, CSegmentsAlwaysHoldAnEvenNumberOfDigits) {
    // Every digit-run length from 1 to 12 at the start, in the middle and at the end of a text.
    for (std::size_t length = 1; length <= 12; ++length) {
        const std::string digits = std::string("987654321012").substr(0, length);
        for (const std::string& text : {digits, "xy" + digits + "z", "Q" + digits}) {
            SCOPED_TRACE(text);
            std::vector<Segment> segments;
            segmentText(text, segments);
            std::size_t covered = 0;
            for (const Segment& s : segments) {
                EXPECT_EQ(s.begin, covered);
                EXPECT_GT(s.size(), 0u);
                covered = s.end;
                if (s.set == CodeSet::C) {
                    EXPECT_EQ(s.size() % 2, 0u);
                    for (std::size_t i = s.begin; i < s.end; ++i)
                        EXPECT_TRUE(text[i] >= '0' && text[i] <= '9');
                }
            }
            EXPECT_EQ(covered, text.size());
        }
    }
}

TEST(Code128Encoder, EverySetBCharacterHasItsStandardValue) {
    // Three characters through the whole encoder, then every character from "!" to "~" through
    // the table: its value is its byte minus 32.
    EXPECT_EQ(encodeValues("l")[1], 76);
    EXPECT_EQ(encodeValues("<")[1], 28);
    EXPECT_EQ(encodeValues(">")[1], 30);
    for (int c = 33; c <= 126; ++c)
        EXPECT_EQ(setBValue(static_cast<unsigned char>(c)), c - 32) << "byte " << c;
}

TEST(Code128Encoder, BytesWithoutASetBValueAreEncodedAsQuestionMarks) {
    // Control bytes, DEL, the bytes of a two-byte GBK character ("中" = D6 D0) and a lone
    // lead byte all become "?" (31), counted in the check like any other symbol.
    EXPECT_EQ(kNoSetBValue, setBValue('?'));
    for (int byte : {0x00, 0x01, 0x09, 0x1F, 0x20, 0x7F, 0x80, 0xA1, 0xD0, 0xD6, 0xFF})
        EXPECT_EQ(setBValue(static_cast<unsigned char>(byte)), 31) << "byte " << byte;
    EXPECT_EQ(encodeValues("A\xD6\xD0"), withStop({104, 33, 31, 31, 86}));
    EXPECT_EQ(encodeValues("\x7F"), encodeValues("?"));
    // A digit run next to such bytes still goes to set C.
    EXPECT_EQ(encodeValues("\x01"
                           "1234\x02"),
              withStop({104, 31, 99, 12, 34, 100, 31, 58}));
}

TEST(Code128Encoder, CheckValuesCoverTheWholeRange) {
    // Two-letter texts whose check symbols are 0 and 95 to 102: each must be an ordinary
    // symbol of the table.
    const std::vector<std::pair<const char*, int>> rows = {{"Av", 0},   {"Ar", 95},  {"Br", 96},
                                                           {"As", 97},  {"Bs", 98},  {"At", 99},
                                                           {"AA", 100}, {"Au", 101}, {"AB", 102}};
    for (const auto& [text, check] : rows) {
        const Values values = encodeValues(text);
        EXPECT_EQ(values[values.size() - 2], check) << text;
    }
}

TEST(Code128Encoder, CheckSumOfALongTextIsReducedCorrectly) {
    // Positions far beyond 103 and sums far beyond 32 bits, all in set B (no digits).
    std::string text;
    for (int i = 0; i < 200000; ++i) {
        const char ch = static_cast<char>('!' + i % 94);
        text += ch >= '0' && ch <= '9' ? 'x' : ch;
    }
    const Values values = encodeValues(text);
    ASSERT_EQ(values.size(), text.size() + 3);
    unsigned long long sum = values.front();
    for (std::size_t position = 1; position + 2 < values.size(); ++position)
        sum += position * values[position];
    EXPECT_EQ(values[values.size() - 2], sum % 103);
}

TEST(Code128Encoder, WidthTableHoldsTheCode128Patterns) {
    // Value 0, the two start patterns in use and the stop one by one, then the shape every
    // pattern must have: six elements of 1-4 modules summing to 11 with an even number of bar
    // modules (the stop: seven elements, 13 modules), and no two patterns alike.
    EXPECT_EQ(kCode128Patterns[0], "212222");
    EXPECT_EQ(kCode128Patterns[104], "211214");
    EXPECT_EQ(kCode128Patterns[105], "211232");
    EXPECT_EQ(kCode128Patterns[106], "2331112");
    std::set<std::string_view> seen;
    for (int value = 0; value < kSymbolCount; ++value) {
        const std::string_view pattern = kCode128Patterns[value];
        SCOPED_TRACE("value " + std::to_string(value));
        ASSERT_EQ(pattern.size(), value == kStop ? 7u : 6u);
        int modules = 0;
        int barModules = 0;
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            ASSERT_TRUE(pattern[i] >= '1' && pattern[i] <= '4');
            modules += pattern[i] - '0';
            if (i % 2 == 0)
                barModules += pattern[i] - '0';
        }
        EXPECT_EQ(modules, value == kStop ? 13 : 11);
        EXPECT_EQ(barModules % 2, 0);
        EXPECT_TRUE(seen.insert(pattern.substr(0, 6)).second);
    }
}

TEST(Code128Encoder, ElementWidthsConcatenateThePatterns) {
    std::string widths;
    elementWidths(encodeValues("ABC"), widths);
    EXPECT_EQ(widths, "211214"
                      "111323"
                      "131123"
                      "131321"
                      "222122"
                      "2331112");
    EXPECT_EQ(moduleCount(widths), 68u);
}

TEST(TextCleaner, RemovesSpacesAndFullWidthSpacesOnCharacterBoundaries) {
    struct Row {
        int row;
        const char* text;
        const char* cleaned;
    };
    const std::vector<Row> rows = {
        {1, "A B C", "ABC"},
        {2, "   ", ""},
        {3,
         "\xA1\xA1"
         "A\xA1\xA1"
         "B",
         "AB"},                                       // full-width spaces
        {4, "\xD6\xD0 \xB9\xFA", "\xD6\xD0\xB9\xFA"}, // 中 国 with a space between
        // The trail byte A1 of "\xB0\xA1" and the lead byte A1 of the next character do not
        // make a full-width space.
        {5, "\xB0\xA1\xA1\xA2", "\xB0\xA1\xA1\xA2"},
        {6, "\xB0\xA1\xA1\xA1", "\xB0\xA1"},
        {7, "\x81 ", "\x81 "},    // a space as the second byte of a two-byte character stays
        {8, "A\xA1", "A\xA1"},    // a lead byte at the end stays
        {9, "\t1 2\n", "\t12\n"}, // only the space itself is removed
    };
    for (const Row& r : rows)
        EXPECT_EQ(cleaned(r.text), r.cleaned) << "row " << r.row;
}

} // namespace
} // namespace tav::barcode
