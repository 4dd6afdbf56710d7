// The picture: geometry, BMP bytes (golden files), turning, and the file GetBarcode writes.
#include "barcode.h"

#include "barcode/BarcodeMaker.h"
#include "barcode/TextCleaner.h"
#include "support/FileSizeLimit.h"
#include "support/Golden.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tav::barcode {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t read32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint32_t read16(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8;
}

// The element widths of `text`'s symbol, one digit per bar or space, from the encoder's stages.
std::string widthsOf(std::string_view text) {
    std::string cleaned;
    cleanText(text, cleaned);
    std::vector<Segment> segments;
    segmentText(cleaned, segments);
    std::vector<std::uint8_t> values;
    symbolValues(cleaned, segments, values);
    std::string widths;
    elementWidths(values, widths);
    return widths;
}

// Reads pixels straight from BMP bytes, rows counted from the top.
struct BmpView {
    const Bytes& bytes;
    std::uint32_t width() const { return read32(bytes, 18); }
    std::uint32_t height() const { return read32(bytes, 22); }
    std::size_t stride() const { return (width() + 31) / 32 * 4; }
    std::size_t rowOffset(std::uint32_t y) const { return 62 + (height() - 1 - y) * stride(); }
    bool black(std::uint32_t x, std::uint32_t y) const {
        return (bytes[rowOffset(y) + x / 8] & (0x80 >> (x % 8))) == 0;
    }
};

Bytes makeBmp(std::string_view text, bool rotate) {
    BarcodeMaker maker;
    EXPECT_TRUE(maker.make(text, rotate));
    return {maker.bmp().begin(), maker.bmp().end()};
}

TEST(BarcodeImage, MatchesGoldenFiles) {
    struct Row {
        int row;
        const char* text;
        bool rotate;
        const char* golden;
    };
    // Rows 1-4: set B upright and turned, set C, the empty text; 5: set changes both ways; 6: a
    // two-byte GBK character and a control byte, drawn as "?".
    const std::vector<Row> rows = {
        {1, "ABC", false, "abc.bmp"},
        {2, "ABC", true, "abc-rotated.bmp"},
        {3, "12345678", false, "12345678.bmp"},
        {4, "", false, "empty.bmp"},
        {5, "AB1234CD", false, "ab1234cd.bmp"},
        {6,
         "N\xD6\xD0\x01"
         "7",
         false, "gbk-and-control.bmp"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row));
        test::expectGolden(makeBmp(r.text, r.rotate),
                           std::filesystem::path(TAV_TEST_DATA) / "barcode" / r.golden);
    }
}

TEST(BarcodeImage, HeaderFollowsTheFileLayout) {
    const Bytes bmp = makeBmp("ABC", false);
    ASSERT_GE(bmp.size(), 62u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(read32(bmp, 2), bmp.size());
    EXPECT_EQ(read32(bmp, 2), 62u + 28u * 112u); // stride of 208 pixels: 28 bytes
    EXPECT_EQ(read32(bmp, 6), 0u);               // both reserved fields
    EXPECT_EQ(read32(bmp, 10), 62u);
    EXPECT_EQ(read32(bmp, 14), 40u);
    EXPECT_EQ(read32(bmp, 18), 208u);
    EXPECT_EQ(read32(bmp, 22), 112u);
    EXPECT_EQ(read16(bmp, 26), 1u);
    EXPECT_EQ(read16(bmp, 28), 1u);
    for (std::size_t at = 30; at < 54; at += 4)
        EXPECT_EQ(read32(bmp, at), 0u) << "offset " << at;
    EXPECT_EQ(read32(bmp, 54), 0x00000000u);
    EXPECT_EQ(read32(bmp, 58), 0x00FFFFFFu);
}

TEST(BarcodeImage, WidthFollowsTheSymbolAndATurnSwapsTheSides) {
    struct Row {
        int row;
        const char* text;
        std::uint32_t width;
    };
    const std::vector<Row> rows = {
        {1, "ABC", 208}, {2, "12345678", 241}, {3, "", 109}, {4, "   ", 109}, {5, "A B C", 208}};
    for (const Row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row));
        const Bytes upright = makeBmp(r.text, false);
        const Bytes turned = makeBmp(r.text, true);
        EXPECT_EQ(BmpView{upright}.width(), r.width);
        EXPECT_EQ(BmpView{upright}.height(), 112u);
        EXPECT_EQ(BmpView{turned}.width(), 112u);
        EXPECT_EQ(BmpView{turned}.height(), r.width);
        EXPECT_EQ(turned.size(), 62u + 16u * r.width);
    }
}

TEST(BarcodeImage, BarsFollowTheWidthsBetweenWhiteMargins) {
    for (const char* text : {"ABC", "12345678", "AB12345", "", "x\x7F~!"}) {
        SCOPED_TRACE(text);
        BarcodeMaker maker;
        ASSERT_TRUE(maker.make(text, false));
        const Bytes bmp(maker.bmp().begin(), maker.bmp().end());
        const BmpView view{bmp};
        const std::uint32_t w = view.width();

        // Rows 0 and 111 are white, rows 1 to 110 are all the same.
        for (std::uint32_t x = 0; x < w; ++x) {
            ASSERT_FALSE(view.black(x, 0));
            ASSERT_FALSE(view.black(x, 111));
        }
        for (std::uint32_t y = 2; y <= 110; ++y)
            ASSERT_TRUE(std::equal(bmp.begin() + view.rowOffset(1),
                                   bmp.begin() + view.rowOffset(1) + view.stride(),
                                   bmp.begin() + view.rowOffset(y)))
                << "row " << y;

        // Reading row 1 back as runs gives the element widths, three pixels a module, between
        // two white columns on each side; the padding bits after the last column are clear.
        EXPECT_FALSE(view.black(0, 1) || view.black(1, 1) || view.black(w - 2, 1) ||
                     view.black(w - 1, 1));
        std::string runs;
        std::uint32_t x = 2;
        while (x < w - 2) {
            const bool color = view.black(x, 1);
            std::uint32_t end = x;
            while (end < w - 2 && view.black(end, 1) == color)
                ++end;
            ASSERT_EQ((end - x) % 3, 0u);
            runs += static_cast<char>('0' + (end - x) / 3);
            x = end;
        }
        // Adjacent elements of the same color cannot occur: bars and spaces alternate.
        EXPECT_EQ(runs, widthsOf(text));
        EXPECT_TRUE(view.black(2, 1)); // the first element is a bar
        for (std::uint32_t y = 0; y < 112; ++y)
            for (std::uint32_t pad = w; pad < view.stride() * 8; ++pad)
                ASSERT_TRUE(view.black(pad, y)) << "padding bit " << pad << " of row " << y;
    }
}

TEST(BarcodeImage, FirstBarOfAbcStartsAtColumnTwoAndIsSixPixelsWide) {
    const Bytes bmp = makeBmp("ABC", false);
    const BmpView view{bmp};
    for (std::uint32_t y = 1; y <= 110; ++y) {
        EXPECT_FALSE(view.black(1, y));
        for (std::uint32_t x = 2; x < 8; ++x)
            EXPECT_TRUE(view.black(x, y));
        EXPECT_FALSE(view.black(8, y));
    }
}

TEST(BarcodeImage, TurnedPictureIsTheClockwiseRotation) {
    for (const char* text : {"ABC", "AB1234CD", "9"}) {
        SCOPED_TRACE(text);
        const Bytes upright = makeBmp(text, false);
        const Bytes turned = makeBmp(text, true);
        const BmpView u{upright};
        const BmpView t{turned};
        ASSERT_EQ(t.width(), u.height());
        ASSERT_EQ(t.height(), u.width());
        for (std::uint32_t y = 0; y < u.height(); ++y)
            for (std::uint32_t x = 0; x < u.width(); ++x)
                ASSERT_EQ(t.black(111 - y, x), u.black(x, y)) << "x " << x << " y " << y;
        for (std::uint32_t y = 0; y < t.height(); ++y)
            for (std::uint32_t pad = t.width(); pad < t.stride() * 8; ++pad)
                ASSERT_TRUE(t.black(pad, y));
    }
}

class GetBarcodeFile : public ::testing::Test {
protected:
    Bytes written(const char* text, int rotate, const std::string& name) {
        const std::string path = m_folder.file(name);
        EXPECT_EQ(GetBarcode(text, rotate, path.c_str()), 1);
        return test::readFileBytes(path);
    }
    test::TempFolder m_folder;
};

// On a full disk an existing picture stays as it was; a new file is not left half written.
TEST_F(GetBarcodeFile, AFailedWriteKeepsTheExistingFile) {
    const Bytes old = {'o', 'l', 'd'};
    const std::string existing = m_folder.write("existing.bmp", old);
    const std::string fresh = m_folder.file("fresh.bmp");
    EXPECT_EQ(
        test::runWithFileSizeLimit(100,
                                   [&] {
                                       return GetBarcode("SF1234567890", 0, existing.c_str()) * 10 +
                                              GetBarcode("SF1234567890", 0, fresh.c_str());
                                   }),
        0);
    EXPECT_EQ(test::readFileBytes(existing), old);
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.path()),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left
    // Without the limit the existing file is replaced.
    EXPECT_EQ(written("SF1234567890", 0, "existing.bmp"), makeBmp("SF1234567890", false));
}

TEST_F(GetBarcodeFile, WritesTheSameBytesAsTheEncoder) {
    EXPECT_EQ(written("AB12345", 0, "a.bmp"), makeBmp("AB12345", false));
    EXPECT_EQ(written("AB12345", 1, "b.bmp"), makeBmp("AB12345", true));
}

TEST_F(GetBarcodeFile, OnlyRotateOneTurnsThePicture) {
    const Bytes upright = written("A1", 0, "0.bmp");
    EXPECT_EQ(written("A1", 2, "2.bmp"), upright);
    EXPECT_EQ(written("A1", -1, "m1.bmp"), upright);
    const Bytes turned = written("A1", 1, "1.bmp");
    EXPECT_NE(turned, upright);
    EXPECT_EQ(BmpView{turned}.width(), 112u);
}

TEST_F(GetBarcodeFile, SpacesAndFullWidthSpacesMakeNoDifference) {
    const Bytes abc = written("ABC", 0, "abc.bmp");
    EXPECT_EQ(written("A B C", 0, "spaced.bmp"), abc);
    EXPECT_EQ(written("\xA1\xA1"
                      "AB\xA1\xA1"
                      "C ",
                      0, "wide.bmp"),
              abc);
    // A null text is the empty text.
    EXPECT_EQ(written(nullptr, 0, "null.bmp"), written("", 0, "empty.bmp"));
    EXPECT_EQ(written(" \xA1\xA1 ", 0, "blank.bmp"), written("", 0, "empty2.bmp"));
}

TEST_F(GetBarcodeFile, ReplacesAnExistingFile) {
    // Rows: an older file longer than the picture, one shorter, one of the same length.
    for (std::size_t oldSize : {100000u, 10u, 3198u}) {
        const std::string path = m_folder.write("old.bmp", Bytes(oldSize, 0x55));
        ASSERT_EQ(GetBarcode("ABC", 0, path.c_str()), 1);
        EXPECT_EQ(test::readFileBytes(path), makeBmp("ABC", false)) << "old size " << oldSize;
    }
}

TEST_F(GetBarcodeFile, FailsWhenTheFileCannotBeWritten) {
    // Rows: no folder, a folder in the way, the empty path, a null path.
    EXPECT_EQ(GetBarcode("ABC", 0, m_folder.file("missing/x.bmp").c_str()), 0);
    EXPECT_EQ(GetBarcode("ABC", 0, m_folder.path().c_str()), 0);
    EXPECT_EQ(GetBarcode("ABC", 0, ""), 0);
    EXPECT_EQ(GetBarcode("ABC", 0, nullptr), 0);
}

TEST_F(GetBarcodeFile, TextTooLongForABmpPictureLeavesAnEmptyFileAndFails) {
    // 19 million digits: about 104 million modules, wider than a 4 GiB file can hold upright
    // and taller than it can hold turned. A previous picture at the path must not survive.
    const std::string digits(19'000'000, '7');
    for (int rotate : {0, 1}) {
        SCOPED_TRACE(rotate);
        const std::string path = m_folder.write("huge.bmp", makeBmp("OLD", false));
        EXPECT_EQ(GetBarcode(digits.c_str(), rotate, path.c_str()), 0);
        EXPECT_TRUE(std::filesystem::exists(path));
        EXPECT_EQ(std::filesystem::file_size(path), 0u);
    }
}

} // namespace
} // namespace tav::barcode
