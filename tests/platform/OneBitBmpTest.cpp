#include "platform/OneBitBmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace tav::platform {
namespace {

// A 10 x 2 one-bit BMP: row 0 (top) has its first and last pixel set, row 1 only its second.
std::vector<std::uint8_t> tenByTwo(bool topDown) {
    // All 70 bytes at once: growing the vector makes GCC 12 at -O3 report a false out-of-bounds
    // copy. The headers are zero after the bit depth.
    const std::uint8_t head[] = {'B', 'M', 70, 0,  0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40,
                                 0,   0,   0,  10, 0, 0, 0, 2, 0, 0, 0,  1, 0, 1, 0};
    const std::uint8_t palette[] = {0xFF, 0xFF, 0xFF, 0, 0x00, 0x00, 0xFF, 0}; // white, red
    const std::uint8_t top[] = {0x80, 0x40, 0, 0}, bottom[] = {0x40, 0x00, 0, 0};
    std::vector<std::uint8_t> b(70, 0);
    std::copy(std::begin(head), std::end(head), b.begin());
    if (topDown) {
        b[22] = 0xFE;
        b[23] = b[24] = b[25] = 0xFF; // height -2
    }
    std::copy(std::begin(palette), std::end(palette), b.begin() + 54);
    std::copy(topDown ? top : bottom, (topDown ? top : bottom) + 4, b.begin() + 62);
    std::copy(topDown ? bottom : top, (topDown ? bottom : top) + 4, b.begin() + 66);
    return b;
}

TEST(OneBitBmp, KeepsTheBitsTopRowFirstWithTheirColors) {
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        const auto image = decodeOneBitBmp(tenByTwo(topDown), 1000);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 10);
        EXPECT_EQ(image->height, 2);
        EXPECT_TRUE(image->oneBit);
        ASSERT_TRUE(image->plane);
        EXPECT_EQ(image->plane->stride, 4);
        EXPECT_EQ(image->plane->colors[0], 0xFFFFFFFFu);
        EXPECT_EQ(image->plane->colors[1], 0xFFFF0000u);
        const auto pixels = argbPixels(*image);
        ASSERT_EQ(pixels.size(), 20u);
        const std::uint32_t W = 0xFFFFFFFF, R = 0xFFFF0000;
        const std::vector<std::uint32_t> expected = {R, W, W, W, W, W, W, W, W, R,
                                                     W, R, W, W, W, W, W, W, W, W};
        EXPECT_EQ(pixels, expected);
    }
}

TEST(OneBitBmp, LeavesEverythingElseToTheGeneralDecoder) {
    auto tooShort = tenByTwo(false);
    tooShort.resize(tooShort.size() - 1); // the rows need more bytes than there are
    auto twoBits = tenByTwo(false);
    twoBits[28] = 4;
    auto compressed = tenByTwo(false);
    compressed[30] = 1;
    auto noWidth = tenByTwo(false);
    noWidth[18] = 0;
    for (const auto& bytes : {tooShort, twoBits, compressed, noWidth})
        EXPECT_FALSE(decodeOneBitBmp(bytes, 1000));
    EXPECT_FALSE(decodeOneBitBmp(tenByTwo(false), 19)); // more pixels than allowed
}

// An OS/2 BMP (12-byte core header, three-byte color entries) reads the same way.
TEST(OneBitBmp, ReadsOs2CoreHeaders) {
    std::vector<std::uint8_t> b = {'B', 'M', 40, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0,
                                   0,   12,  0,  0, 0, 9, 0, 2, 0, 1, 0,  1, 0};
    const std::uint8_t palette[] = {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF}; // white, red
    b.insert(b.end(), std::begin(palette), std::end(palette));
    const std::uint8_t bottom[] = {0x40, 0x00, 0, 0}, top[] = {0x80, 0x80, 0, 0};
    b.insert(b.end(), bottom, bottom + 4);
    b.insert(b.end(), top, top + 4);
    const auto image = decodeOneBitBmp(b, 1000);
    ASSERT_TRUE(image && image->plane);
    EXPECT_EQ(image->width, 9);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->plane->colors[0], 0xFFFFFFFFu);
    EXPECT_EQ(image->plane->colors[1], 0xFFFF0000u);
    const auto pixels = argbPixels(*image);
    const std::uint32_t W = 0xFFFFFFFF, R = 0xFFFF0000;
    const std::vector<std::uint32_t> expected = {R, W, W, W, W, W, W, W, R,
                                                 W, R, W, W, W, W, W, W, W};
    EXPECT_EQ(pixels, expected);
}

} // namespace
} // namespace tav::platform
