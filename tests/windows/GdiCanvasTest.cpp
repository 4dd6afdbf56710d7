// The GDI canvas on a memory bitmap at 254 dpi (one pixel per tenth of a millimetre): where
// lines, frames, turned text and stretched pictures land, pixel by pixel.
#include "platform/ImageCodec.h"
#include "platform/win32/GdiBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tav::platform::win32 {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

// The box around every pixel that is not white.
Box inkOf(const GdiBitmap& bitmap) {
    Box box;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (bitmap.pixel(x, y) != kWhite) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

std::unique_ptr<GdiBitmap> page() {
    auto bitmap = GdiBitmap::create(400, 300, 254);
    EXPECT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width(), 400);
    EXPECT_EQ(bitmap->height(), 300);
    return bitmap;
}

TEST(GdiCanvas, LinesAndFramesLandOnTheirPixels) {
    struct Row {
        const char* what;
        int penWidth;
        int x1, y1, x2, y2;
        bool frame;
        Box ink; // within one pixel
    };
    const Row rows[] = {
        {"thinnest line", 0, 10, 10, 390, 10, false, {10, 10, 389, 10}},
        {"2 mm line", 20, 50, 50, 350, 50, false, {40, 40, 360, 60}},
        {"frame", 0, 20, 100, 120, 200, true, {20, 100, 119, 199}},
        {"frame given bottom-up", 0, 120, 200, 20, 100, true, {20, 100, 119, 199}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        auto bitmap = page();
        GdiCanvas& canvas = bitmap->canvas();
        canvas.setPen({r.penWidth, 0});
        canvas.setBrush({0xFFFFFF});
        if (r.frame)
            canvas.drawRoundRect(r.x1, r.y1, r.x2, r.y2, 0, 0);
        else
            canvas.drawLine(r.x1, r.y1, r.x2, r.y2);
        EXPECT_TRUE(canvas.intact());
        const Box ink = inkOf(*bitmap);
        EXPECT_NEAR(ink.left, r.ink.left, 1);
        EXPECT_NEAR(ink.top, r.ink.top, 1);
        EXPECT_NEAR(ink.right, r.ink.right, 1);
        EXPECT_NEAR(ink.bottom, r.ink.bottom, 1);
    }
}

// Escapement turns text counter-clockwise about its top-left corner, as seen on the page.
TEST(GdiCanvas, TurnedTextTurnsCounterClockwiseAboutItsCorner) {
    struct Row {
        int escapement;
        bool right, below; // where the ink lies from the corner
    };
    const Row rows[] = {
        {0, true, true}, {900, true, false}, {1800, false, false}, {2700, false, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.escapement);
        auto bitmap = page();
        GdiCanvas& canvas = bitmap->canvas();
        Font font;
        font.height = 40;
        font.escapement = r.escapement;
        canvas.setFont(font);
        canvas.drawText(200, 150, "Label");
        const Box ink = inkOf(*bitmap);
        ASSERT_FALSE(ink.empty());
        if (r.right)
            EXPECT_GE(ink.left, 198);
        else
            EXPECT_LE(ink.right, 202);
        if (r.below)
            EXPECT_GE(ink.top, 148);
        else
            EXPECT_LE(ink.bottom, 152);
    }
}

TEST(GdiCanvas, TextIsGbkAndMeasuredInTenthsOfAMillimetre) {
    auto bitmap = page();
    GdiCanvas& canvas = bitmap->canvas();
    Font font;
    font.height = 40;
    canvas.setFont(font);
    const TextExtent latin = canvas.measureText("Label");
    EXPECT_GT(latin.width, 40);
    EXPECT_GE(latin.height, 40);
    EXPECT_LT(latin.height, 80);
    // Two GBK characters are two characters, not four bytes.
    const TextExtent chinese = canvas.measureText("\xB1\xEA\xC7\xA9");
    EXPECT_GT(chinese.width, 0);
    EXPECT_LT(chinese.width, 4 * 40);
    EXPECT_EQ(canvas.measureText("").width, 0);
}

TEST(GdiCanvas, PicturesFillTheirBoxAndMirroredBoxesMirror) {
    // 2 x 2 pixels, the top-left one black: as a one-bit plane and as color pixels.
    DecodedImage plane;
    plane.width = plane.height = 2;
    plane.oneBit = true;
    DecodedImage::OneBitPlane bits;
    ASSERT_TRUE(bits.reset(2, 2));
    bits.setInk(0, 0);
    bits.colors[0] = 0xFFFFFFFF;
    bits.colors[1] = 0xFF000000;
    plane.plane = bits;
    DecodedImage color;
    color.width = color.height = 2;
    color.argb = {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    for (const DecodedImage* image : {&plane, &color}) {
        SCOPED_TRACE(image == &plane ? "plane" : "color");
        auto bitmap = page();
        GdiCanvas& canvas = bitmap->canvas();
        ASSERT_TRUE(canvas.canDrawImage(*image));
        canvas.drawImage(*image, 100, 100, 140, 140);
        canvas.drawImage(*image, 240, 100, 200, 140); // mirrored left to right
        EXPECT_TRUE(canvas.intact());
        // Color pictures are smoothed (HALFTONE): dark and light rather than black and white.
        auto dark = [&](int x, int y) { return (bitmap->pixel(x, y) & 0xFF) < 0x80; };
        EXPECT_TRUE(dark(105, 105));
        EXPECT_FALSE(dark(135, 105));
        EXPECT_FALSE(dark(105, 135));
        EXPECT_FALSE(dark(205, 105));
        EXPECT_TRUE(dark(235, 105));
        // The one-bit picture keeps hard module edges: nothing grey.
        if (image == &plane) {
            for (int x = 95; x < 145; ++x) {
                const std::uint32_t p = bitmap->pixel(x, 110);
                EXPECT_TRUE(p == 0u || p == kWhite) << x;
            }
        }
    }
    DecodedImage broken;
    broken.width = 3;
    broken.height = 3;
    broken.argb = {0xFF000000};
    EXPECT_FALSE(page()->canvas().canDrawImage(broken));
}

} // namespace
} // namespace tav::platform::win32
