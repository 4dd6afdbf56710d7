// The BMP module: one-bit pictures, the one-bit writer, header reading with its bounds, and the
// header of a copy at another size.
#include "platform/Bmp.h"
#include "platform/LittleEndian.h"
#include "platform/OneBitBmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include <string>
#include <vector>

namespace tav::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t read32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(OneBitPicture, FillInkPaintsExactlyTheRange) {
    // Ranges within one byte, across bytes, up to and past the right edge, and empty ones.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges = {
        {0, 1},  {0, 8},   {3, 5},   {7, 9},    {2, 30},  {8, 16},
        {5, 69}, {60, 70}, {69, 70}, {68, 200}, {10, 10}, {12, 11}};
    for (const auto& [x0, x1] : ranges) {
        OneBitPicture picture;
        ASSERT_TRUE(picture.reset(70, 3));
        picture.fillInk(1, x0, x1);
        for (std::uint32_t y = 0; y < 3; ++y)
            for (std::uint32_t x = 0; x < 70; ++x)
                ASSERT_EQ(picture.ink(x, y), y == 1 && x >= x0 && x < x1)
                    << "range " << x0 << "-" << x1 << " at " << x << "," << y;
        // Padding stays clear: bits 70 to 95 of every row.
        for (std::uint32_t y = 0; y < 3; ++y)
            EXPECT_EQ(picture.row(y)[8] & 0x03, 0) << "range " << x0 << "-" << x1;
    }
}

TEST(OneBitPicture, PicturesTooLargeForABmpFileAreRefused) {
    struct Row {
        int row;
        std::uint64_t width;
        std::uint64_t height;
        bool fits;
    };
    const std::vector<Row> rows = {
        {1, 1, 1, true},
        {2, 2147483647u, 1, true},   // widest a BMP header can hold
        {3, 2147483648u, 1, false},  // wider than a signed 32-bit width
        {4, 306783360u, 112, true},  // stride 38347920: 62 + 112 x stride just below 4 GiB
        {5, 306783361u, 112, false}, // one more stride word: past 4 GiB
        {6, 112, 268435452u, true},  // turned: 62 + 16 x height just below 4 GiB
        {7, 112, 268435453u, false},
        {8, 0, 112, false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(oneBitBmpFileSize(r.width, r.height).has_value(), r.fits) << "row " << r.row;
    OneBitPicture picture;
    EXPECT_FALSE(picture.reset(2147483648u, 1));
    EXPECT_EQ(picture.width, 0u);
    EXPECT_TRUE(picture.bits.empty());
}

// A 21 x 3 picture with a diagonal and a full bottom row, written in both palette orders and
// both header styles: the file holds what was drawn, with the stated colors, and reads back.
TEST(OneBitBmpWriter, WritesWhatWasDrawnInEitherPaletteOrder) {
    OneBitPicture picture;
    ASSERT_TRUE(picture.reset(21, 3));
    picture.setInk(0, 0);
    picture.setInk(1, 1);
    picture.fillInk(2, 0, 21);
    for (bool inkFirst : {false, true})
        for (bool statesSizes : {false, true}) {
            SCOPED_TRACE(std::string(inkFirst ? "ink first" : "background first") +
                         (statesSizes ? ", sizes stated" : ""));
            Bytes bmp;
            writeOneBitBmp(picture, {0x112233, 0xAABBCC, inkFirst, statesSizes}, bmp);
            ASSERT_EQ(bmp.size(), 62u + 3 * 4);
            EXPECT_EQ(read32(bmp, 2), bmp.size());
            EXPECT_EQ(read32(bmp, 34), statesSizes ? 12u : 0u);
            EXPECT_EQ(read32(bmp, 46), statesSizes ? 2u : 0u);
            const auto header = readBmpHeader(bmp);
            ASSERT_TRUE(header);
            EXPECT_EQ(header->width, 21u);
            EXPECT_EQ(header->height, 3u);
            const auto image = decodeOneBitBmp(bmp, 1000);
            ASSERT_TRUE(image && image->plane);
            const auto& plane = *image->plane;
            const std::uint32_t ink = 0xFFAABBCC, background = 0xFF112233;
            EXPECT_EQ(plane.colors[inkFirst ? 0 : 1], ink);
            EXPECT_EQ(plane.colors[inkFirst ? 1 : 0], background);
            const auto pixels = argbPixels(*image);
            for (std::uint32_t y = 0; y < 3; ++y)
                for (std::uint32_t x = 0; x < 21; ++x)
                    ASSERT_EQ(pixels[y * 21 + x], picture.ink(x, y) ? ink : background)
                        << x << "," << y;
            // Bits past the right edge are clear in the file whichever color comes first.
            for (std::uint32_t y = 0; y < 3; ++y) {
                EXPECT_EQ(plane.row(y)[2] & 0x07, 0);
                EXPECT_EQ(plane.row(y)[3], 0);
            }
        }
}

TEST(OneBitBmpWriter, StatesTheFileSizeOfLargePictures) {
    OneBitPicture picture;
    ASSERT_TRUE(picture.reset(300, 40)); // 40 rows of 40 bytes
    Bytes bmp;
    writeOneBitBmp(picture, {}, bmp);
    EXPECT_EQ(bmp.size(), 62u + 40 * 40);
    EXPECT_EQ(read32(bmp, 2), bmp.size());
}

// `size` bytes that begin with `head`, the rest zero. Made at their full size: growing a vector
// made from a list makes GCC 12 at -O3 report a false out-of-bounds copy.
Bytes startingWith(std::initializer_list<std::uint8_t> head, std::size_t size) {
    Bytes b(size, 0);
    std::copy(head.begin(), head.end(), b.begin());
    return b;
}

// A BMP with a 40-byte header, 24 bits, 2 x 2 pixels, and a core-header one of 8 bits.
Bytes infoBmp() {
    return startingWith({'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                         0,   0,   0,  2, 0, 0, 0, 2, 0, 0, 0,  1, 0, 24, 0},
                        54 + 16);
}
Bytes coreBmp() {
    // 12-byte header, 3 x 2 pixels of 8 bits, a color table of 256 three-byte entries.
    const std::size_t bitsAt = 26 + 256 * 3;
    Bytes b = startingWith(
        {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 8, 0},
        bitsAt + 2 * 4);
    b[10] = static_cast<std::uint8_t>(bitsAt);
    b[11] = static_cast<std::uint8_t>(bitsAt >> 8);
    return b;
}

TEST(BmpHeader, ReadsTheLayoutOfEveryHeaderForm) {
    const auto info = readBmpHeader(infoBmp());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->bitsPerPixel, 24u);
    EXPECT_EQ(info->stride, 8u);
    EXPECT_EQ(info->bitsOffset, 54u);
    EXPECT_EQ(info->rowAt(0), 54u + 8); // bottom-up: the top row is stored last
    const auto core = readBmpHeader(coreBmp());
    ASSERT_TRUE(core);
    EXPECT_TRUE(core->isCore());
    EXPECT_EQ(core->width, 3u);
    EXPECT_EQ(core->height, 2u);
    EXPECT_EQ(core->colors, 256u);
    EXPECT_EQ(core->entrySize, 3u);
    EXPECT_EQ(core->colorsAt, 26u);
    EXPECT_EQ(core->stride, 4u);
}

TEST(BmpHeader, RefusesRangesOutsideTheBytes) {
    auto patched = [](Bytes b, std::size_t at, std::uint32_t value, int width = 4) {
        if (width == 4)
            writeLe32(b.data() + at, value);
        else
            writeLe16(b.data() + at, value);
        return b;
    };
    const Bytes info = infoBmp();
    const Bytes core = coreBmp();
    struct Row {
        int row;
        const char* what;
        Bytes bytes;
    };
    const Row rows[] = {
        {1, "no bytes", {}},
        {2, "cut in the information header", Bytes(info.begin(), info.begin() + 40)},
        {3, "cut in the rows", Bytes(info.begin(), info.end() - 1)},
        {4, "unknown header size", patched(info, 14, 41)},
        {5, "zero width", patched(info, 18, 0)},
        {6, "height INT32_MIN", patched(info, 22, 0x80000000)},
        {7, "RLE8 on 24 bits", patched(info, 30, 1)},
        {8, "bitfields on 24 bits", patched(info, 30, 3)},
        {9, "embedded PNG", patched(info, 30, 5)},
        {10, "pixels before the header ends", patched(info, 10, 40)},
        {11, "pixels past the end", patched(info, 10, 1000)},
        {12, "a color table past the pixels", patched(info, 46, 1)},
        {13, "width 2^31-1", patched(info, 18, 0x7FFFFFFF)},
        {14, "core: 16 bits", patched(core, 24, 16, 2)},
        {15, "core: color table past the pixels", patched(core, 10, 26 + 255 * 3)},
        {16, "core: zero height", patched(core, 20, 0, 2)},
        {17, "core: rows past the end", Bytes(core.begin(), core.end() - 1)},
    };
    for (const auto& r : rows)
        EXPECT_FALSE(readBmpHeader(r.bytes)) << "row " << r.row << ": " << r.what;
}

// The head of a copy at another size: the information header's sizes and resolutions set anew,
// the color table kept; sizes that no header can state are refused.
TEST(BmpCopy, WritesTheHeadOfACopyAtAnotherSize) {
    Bytes info = infoBmp();
    writeLe32(info.data() + 38, 2835); // 72 dpi across
    writeLe32(info.data() + 42, 3780); // 96 dpi down
    const auto header = readBmpHeader(info);
    ASSERT_TRUE(header);
    const auto profile = readBmpProfile(info, *header);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->size, 0u); // a 40-byte header carries none

    const auto copy = planBmpCopy(*header, *profile, 2, 3, true);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->headSize, 54u);
    EXPECT_EQ(copy->pixelBytes, 3u * 8);
    EXPECT_EQ(copy->fileSize, 54u + 24);
    Bytes out(static_cast<std::size_t>(copy->fileSize), 0);
    writeBmpCopyHead(info, *header, *profile, *copy, out);
    Bytes expected = Bytes(info.begin(), info.begin() + 54);
    writeLe32(expected.data() + 2, 78);
    writeLe32(expected.data() + 22, 3);
    writeLe32(expected.data() + 34, 24);
    writeLe32(expected.data() + 38, 3780); // exchanged by the quarter turn
    writeLe32(expected.data() + 42, 2835);
    expected.resize(78, 0);
    EXPECT_EQ(out, expected);

    EXPECT_FALSE(planBmpCopy(*header, *profile, 2, 0x80000000u, false)) << "height 2^31";
    EXPECT_FALSE(planBmpCopy(*header, *profile, 0x40000000u, 2, false)) << "a file of 6 GiB";
}

} // namespace
} // namespace tav::platform
