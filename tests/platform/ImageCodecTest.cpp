// decodeImage (gdk-pixbuf on Linux, GDI+ on Windows): the five formats from small committed files,
// the one-bit flag, and headers that must be refused before anything of their claimed size is
// allocated.
#include "platform/ImageCodec.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes picture(const std::string& relative) {
    return tav::test::readFileBytes(std::string(TAV_TEST_DATA) + "/pictures/" + relative);
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

void putBe(Bytes& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * (bytes - 1 - i)));
}

} // namespace

TEST(ImageCodec, DecodesTheFiveFormats) {
    struct Row {
        int row;
        const char* file; // under tests/data/pictures
        int width, height;
        bool oneBit, hasAlpha;
        std::vector<std::uint32_t> firstPixels; // from the top-left, 0xAARRGGBB
    };
    const Row rows[] = {
        {1, "turn/bpp24-1x3-0.bmp", 1, 3, false, false, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}},
        // The turn goldens read back the same way in an independent decoder.
        {2, "turn/bpp24-1x3-900.bmp", 3, 1, false, false, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000}},
        {3, "turn/bpp24-1x3-2700.bmp", 3, 1, false, false, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}},
        {4, "turn/bpp1-5x3-900.bmp", 3, 5, true, false, {}},
        {5, "turn/bpp8-5x3-topdown-2700.bmp", 3, 5, false, false, {}},
        {6, "turn/bpp16-5x3-bitfields-900.bmp", 3, 5, false, false, {}},
        {7, "turn/bpp4-9x2-topdown-900.bmp", 2, 9, false, false, {}},
        {8,
         "codec/rgba-3x2.png",
         3,
         2,
         false,
         true,
         {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFFFFFF, 0xFF000000}},
        {9, "codec/gray1-5x3.png", 5, 3, true, false, {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}},
        {10, "codec/halves-16x8.jpg", 16, 8, false, false, {}},
        {11,
         "codec/twocolor-4x2.gif",
         4,
         2,
         true,
         false,
         {0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}},
        {12, "codec/bilevel-8x2.tif", 8, 2, true, false, {0xFFFFFFFF, 0xFFFFFFFF}},
        {13, "codec/rgb-2x2.tif", 2, 2, false, false, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row) + ": " + r.file);
        Bytes bytes = picture(r.file);
        ASSERT_FALSE(bytes.empty());
        auto image = tav::platform::decodeImage(bytes);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, r.width);
        EXPECT_EQ(image->height, r.height);
        const auto pixels = tav::platform::argbPixels(*image);
        EXPECT_EQ(pixels.size(), static_cast<std::size_t>(r.width * r.height));
        EXPECT_EQ(image->oneBit, r.oneBit);
        EXPECT_EQ(image->hasAlpha, r.hasAlpha);
        for (std::size_t i = 0; i < r.firstPixels.size(); ++i)
            EXPECT_EQ(pixels[i], r.firstPixels[i]) << "pixel " << i;
    }
    // A JPEG keeps its colors within its loss: left half reddish, right half bluish.
    auto jpeg = tav::platform::decodeImage(picture("codec/halves-16x8.jpg"));
    ASSERT_TRUE(jpeg);
    EXPECT_GT((jpeg->argb[0] >> 16) & 0xFF, 150u);
    EXPECT_GT(jpeg->argb[15] & 0xFF, 150u);
}

TEST(ImageCodec, RefusesWhatItMustNotDecode) {
    Bytes bmp = picture("turn/bpp24-5x3-0.bmp");
    Bytes png = picture("codec/rgba-3x2.png");
    Bytes gif = picture("codec/twocolor-4x2.gif");
    Bytes tiff = picture("codec/bilevel-8x2.tif");
    Bytes jpeg = picture("codec/halves-16x8.jpg");
    ASSERT_FALSE(bmp.empty() || png.empty() || gif.empty() || tiff.empty() || jpeg.empty());
    auto patched = [](Bytes b, auto&& change) {
        change(b);
        return b;
    };
    // The baseline frame header of the JPEG: FF C0, length, precision, height, width.
    std::size_t sof = 2;
    while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC0))
        ++sof;
    ASSERT_LT(sof + 9, jpeg.size());
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'/>";
    struct Row {
        int row;
        const char* source;
        Bytes bytes;
    };
    const Row rows[] = {
        {1, "empty", {}},
        {2, "plain text", Bytes{'h', 'e', 'l', 'l', 'o'}},
        {3, "SVG: a format the system does not accept", Bytes(svg.begin(), svg.end())},
        {4, "an icon file", Bytes{0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0}},
        {5, "truncated PNG", Bytes(png.begin(), png.begin() + 40)},
        {6, "truncated BMP rows", Bytes(bmp.begin(), bmp.end() - 1)},
        {7, "BMP claims 100000 x 100000",
         patched(bmp,
                 [](Bytes& b) {
                     put32(b, 18, 100000);
                     put32(b, 22, 100000);
                 })},
        {8, "BMP claims 20000 rows its bytes do not hold",
         patched(bmp, [](Bytes& b) { put32(b, 22, 20000); })},
        {9, "BMP dimensions at their maximum",
         patched(bmp,
                 [](Bytes& b) {
                     put32(b, 18, 0x7FFFFFFF);
                     put32(b, 22, 0x7FFFFFFF);
                 })},
        {10, "BMP RLE8 claims 5000 x 5000 from a few bytes",
         patched(bmp,
                 [](Bytes& b) {
                     put32(b, 18, 5000);
                     put32(b, 22, 5000);
                     b[28] = 8;
                     put32(b, 30, 1);
                 })},
        {11, "PNG claims 100000 x 100000",
         patched(png,
                 [](Bytes& b) {
                     putBe(b, 16, 100000, 4);
                     putBe(b, 20, 100000, 4);
                 })},
        {12, "GIF screen of 65535 x 65535",
         patched(gif, [](Bytes& b) { b[6] = b[7] = b[8] = b[9] = 0xFF; })},
        {13, "TIFF claims 60000 x 60000",
         patched(tiff,
                 [](Bytes& b) {
                     b[10 + 8] = 0x60;
                     b[10 + 9] = 0xEA;
                     b[10 + 12 + 8] = 0x60;
                     b[10 + 12 + 9] = 0xEA;
                 })},
        // The JPEG's size is only known to the decoder: it must stop before allocating.
        {14, "JPEG frame of 60000 x 60000",
         patched(jpeg,
                 [&](Bytes& b) {
                     putBe(b, sof + 5, 60000, 2);
                     putBe(b, sof + 7, 60000, 2);
                 })},
        // Found by fuzzing: the loader sized its color table by this count.
        {15, "BMP color count 0xFFFFFFFF",
         patched(picture("turn/bpp1-5x3-0.bmp"), [](Bytes& b) { put32(b, 46, 0xFFFFFFFF); })},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row) + ": " + r.source);
        EXPECT_FALSE(tav::platform::decodeImage(r.bytes));
    }
}

TEST(ImageCodec, HonoursThePixelLimit) {
    Bytes jpeg = picture("codec/halves-16x8.jpg");
    Bytes bmp = picture("turn/bpp24-5x3-0.bmp");
    EXPECT_FALSE(tav::platform::decodeImage(jpeg, 16 * 8 - 1));
    EXPECT_TRUE(tav::platform::decodeImage(jpeg, 16 * 8));
    EXPECT_FALSE(tav::platform::decodeImage(bmp, 14));
    EXPECT_TRUE(tav::platform::decodeImage(bmp, 15));
}
