// Pixel tests of the cairo canvases. At 254 dpi one pixel is one tenth of a millimetre, so page
// coordinates are pixel indices: a line at y = 105 must blacken pixel row 105.
#include "PdfTools.h"
#include "platform/ImageCodec.h"
#include "platform/PageCanvas.h"

#include <gtest/gtest.h>

#include <limits>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace tav::platform {
namespace {

constexpr ColorRef kBlack = 0x000000;
constexpr ColorRef kRed = 0x0000FF; // 0x00BBGGRR

// GBK spellings of the Chinese face names and texts.
const std::string kSongTi = "\xCB\xCE\xCC\xE5";   // 宋体
const std::string kHeiTi = "\xBA\xDA\xCC\xE5";    // 黑体
const std::string kZhongWen = "\xD6\xD0\xCE\xC4"; // 中文

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive pixel bounds; empty if right < left
    bool empty() const { return right < left || bottom < top; }
};

// The finished picture of a page, decoded back into pixels.
struct Raster {
    DecodedImage image;

    std::uint32_t rgb(int x, int y) const {
        return image.argb[static_cast<std::size_t>(y) * image.width + x] & 0xFFFFFF;
    }
    bool white(int x, int y) const { return rgb(x, y) == 0xFFFFFF; }
    // Darker than mid-grey: the line, text or shape really covers the pixel.
    bool ink(int x, int y) const {
        std::uint32_t p = rgb(x, y);
        return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 128;
    }
    // The bounds of every pixel that is not white, in the whole picture or in `area`.
    Box marked() const { return marked({0, 0, image.width - 1, image.height - 1}); }
    Box marked(Box area) const {
        Box box{image.width, image.height, -1, -1};
        for (int y = area.top; y <= area.bottom; ++y) {
            for (int x = area.left; x <= area.right; ++x) {
                if (!white(x, y)) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x);
                    box.bottom = std::max(box.bottom, y);
                }
            }
        }
        return box;
    }
};

Raster draw(int width, int height, const std::function<void(PageCanvas&)>& paint, int dpi = 254) {
    auto canvas = createImageCanvas(width, height, dpi);
    EXPECT_NE(canvas, nullptr);
    if (!canvas) {
        return {};
    }
    paint(*canvas);
    std::vector<std::uint8_t> png = canvas->finish();
    EXPECT_FALSE(png.empty());
    auto decoded = decodeImage(png);
    EXPECT_TRUE(decoded.has_value());
    return {decoded ? std::move(*decoded) : DecodedImage{}};
}

// Lines: position, width in whole device pixels, width 0 as one pixel at any resolution.
TEST(CairoCanvasLines, CoverTheExpectedPixels) {
    struct Case {
        int row;
        int dpi;
        Pen pen;
        int x1, y1, x2, y2;
        Box expected; // in pixels of the picture
    };
    const Case cases[] = {
        // 1: a horizontal line at y = 105 (a box at y = 100, 0.5 mm down), thinnest pen
        {1, 254, {0, kBlack}, 10, 105, 90, 105, {10, 105, 90, 105}},
        // 2: width 1 (0.1 mm) is one pixel at 254 dpi too
        {2, 254, {1, kBlack}, 10, 105, 90, 105, {10, 105, 90, 105}},
        // 3: a vertical line
        {3, 254, {0, kBlack}, 30, 10, 30, 80, {30, 10, 30, 80}},
        // 4: three pixels, centered on the line's row
        {4, 254, {3, kBlack}, 10, 50, 90, 50, {9, 49, 91, 51}},
        // 5: four pixels, two on each side of the line
        {5, 254, {4, kBlack}, 10, 50, 90, 50, {8, 48, 91, 51}},
        // 6: width 0 stays one pixel at 127 dpi (two tenths of a millimetre per pixel)
        {6, 127, {0, kBlack}, 20, 100, 180, 100, {10, 50, 90, 50}},
        // 7: width 1 at 127 dpi rounds to one whole pixel
        {7, 127, {1, kBlack}, 20, 100, 180, 100, {10, 50, 90, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        Raster raster = draw(
            200, 200,
            [&](PageCanvas& canvas) {
                canvas.setPen(c.pen);
                canvas.drawLine(c.x1, c.y1, c.x2, c.y2);
            },
            c.dpi);
        Box box = raster.marked();
        EXPECT_EQ(box.left, c.expected.left);
        EXPECT_EQ(box.top, c.expected.top);
        EXPECT_EQ(box.right, c.expected.right);
        EXPECT_EQ(box.bottom, c.expected.bottom);
        // Solid black along the middle of the line, not grey spread over neighbouring rows.
        int midX = (c.expected.left + c.expected.right) / 2;
        int midY = (c.expected.top + c.expected.bottom) / 2;
        EXPECT_EQ(raster.rgb(midX, midY), 0u);
    }
}

// A pen width from a damaged file, as wide as a stored width can be: the line covers the page
// around it instead of the width overflowing into a hairline.
TEST(CairoCanvasLines, TheWidestPenCoversThePage) {
    for (int dpi : {254, 600}) {
        SCOPED_TRACE(dpi);
        Raster raster = draw(
            100, 100,
            [](PageCanvas& canvas) {
                canvas.setPen({std::numeric_limits<std::int32_t>::max(), kBlack});
                canvas.drawLine(10, 50, 90, 50);
            },
            dpi);
        ASSERT_GT(raster.image.width, 0);
        EXPECT_TRUE(raster.ink(0, 0));
        EXPECT_TRUE(raster.ink(raster.image.width - 1, raster.image.height - 1));
    }
}

TEST(CairoCanvasLines, ZeroLengthDrawsNothing) {
    Raster raster = draw(50, 50, [](PageCanvas& canvas) {
        canvas.setPen({5, kBlack});
        canvas.drawLine(20, 20, 20, 20);
    });
    EXPECT_TRUE(raster.marked().empty());
}

TEST(CairoCanvasShapes, RoundRectIsFilledThenOutlined) {
    struct Case {
        int row;
        int corner;
    };
    for (Case c : {Case{1, 0}, Case{2, 30}}) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        Raster raster = draw(100, 100, [&](PageCanvas& canvas) {
            canvas.setPen({0, kBlack});
            canvas.setBrush({kRed});
            canvas.drawRoundRect(20, 20, 80, 60, c.corner, c.corner);
        });
        // The outline on the box edges, the brush inside, nothing outside.
        Box box = raster.marked();
        EXPECT_EQ(box.left, 20);
        EXPECT_EQ(box.top, 20);
        EXPECT_EQ(box.right, 80);
        EXPECT_EQ(box.bottom, 60);
        EXPECT_EQ(raster.rgb(50, 20), 0u);
        EXPECT_EQ(raster.rgb(50, 60), 0u);
        EXPECT_EQ(raster.rgb(20, 40), 0u);
        EXPECT_EQ(raster.rgb(80, 40), 0u);
        EXPECT_EQ(raster.rgb(50, 40), 0xFF0000u);
        EXPECT_EQ(raster.rgb(21, 21) == 0xFF0000u, c.corner == 0);
        if (c.corner == 0) {
            // Square corners: the corner pixels belong to the outline (round joins leave them
            // a little short of full black).
            EXPECT_TRUE(raster.ink(20, 20));
            EXPECT_TRUE(raster.ink(80, 60));
        } else {
            // Rounded: the corners of the box stay paper.
            EXPECT_TRUE(raster.white(21, 21));
            EXPECT_TRUE(raster.white(79, 59));
        }
    }
}

TEST(CairoCanvasShapes, CornerLargerThanTheRectangleIsAnEllipse) {
    Raster raster = draw(100, 100, [](PageCanvas& canvas) {
        canvas.setPen({0, kBlack});
        canvas.setBrush({kRed});
        canvas.drawRoundRect(10, 10, 90, 50, 1000, 1000);
    });
    Box box = raster.marked();
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.right, 90);
    EXPECT_TRUE(raster.white(14, 14));
    EXPECT_EQ(raster.rgb(50, 30), 0xFF0000u);
}

TEST(CairoCanvasShapes, EllipseInscribedInItsBox) {
    for (bool filled : {true, false}) {
        SCOPED_TRACE(filled ? "filled" : "outline");
        Raster raster = draw(100, 100, [&](PageCanvas& canvas) {
            canvas.setPen({0, kBlack});
            canvas.setBrush({kRed});
            canvas.drawEllipse(10, 20, 90, 60, filled);
        });
        Box box = raster.marked();
        EXPECT_EQ(box.left, 10);
        EXPECT_EQ(box.top, 20);
        EXPECT_EQ(box.right, 90);
        EXPECT_EQ(box.bottom, 60);
        EXPECT_TRUE(raster.ink(50, 20));
        EXPECT_TRUE(raster.ink(10, 40));
        EXPECT_TRUE(raster.white(12, 22)); // the box's corner lies outside the ellipse
        EXPECT_EQ(raster.rgb(50, 40), filled ? 0xFF0000u : 0xFFFFFFu);
    }
}

// A flat ellipse used to be drawn by scaling by zero, which leaves cairo in an error state
// that silently drops everything drawn afterwards.
TEST(CairoCanvasShapes, FlatShapesDoNotStopLaterDrawing) {
    auto canvas = createImageCanvas(100, 100, 254);
    ASSERT_NE(canvas, nullptr);
    canvas->setPen({0, kBlack});
    canvas->drawEllipse(50, 10, 50, 90, true);
    canvas->drawRoundRect(10, 10, 10, 90, 20, 20);
    canvas->drawImage(DecodedImage{}, 0, 0, 10, 10);
    canvas->drawLine(70, 10, 70, 90);
    auto decoded = decodeImage(canvas->finish());
    ASSERT_TRUE(decoded.has_value());
    Raster raster{std::move(*decoded)};
    EXPECT_TRUE(raster.ink(50, 50));
    EXPECT_TRUE(raster.ink(70, 50));
}

// The unturned text's top-left corner is (x, y); escapement turns it counter-clockwise about
// that point. The ink stays inside the measured extent, turned the same way.
TEST(CairoCanvasText, InkInsideTheMeasuredExtentAtEachEscapement) {
    struct Case {
        int escapement;
        // the turned extent relative to (x, y), from the measured width w and height h
        std::function<Box(int w, int h)> box;
    };
    const Case cases[] = {
        {0,
         [](int w, int h) {
             return Box{0, 0, w, h};
         }},
        {900,
         [](int w, int h) {
             return Box{0, -w, h, 0};
         }},
        {1800,
         [](int w, int h) {
             return Box{-w, -h, 0, 0};
         }},
        {2700,
         [](int w, int h) {
             return Box{-h, 0, 0, w};
         }},
    };
    const std::string text = "Ag" + kZhongWen + "|";
    for (const std::string& face : {kSongTi, kHeiTi, std::string("DejaVu Sans")}) {
        for (const Case& c : cases) {
            SCOPED_TRACE("escapement " + std::to_string(c.escapement));
            Font font{face, 60, c.escapement, false, false, false, false};
            TextExtent extent;
            Raster raster = draw(400, 400, [&](PageCanvas& canvas) {
                canvas.setFont(font);
                canvas.setTextColor(kBlack);
                extent = canvas.measureText(text);
                canvas.drawText(200, 200, text);
            });
            ASSERT_GT(extent.width, 100);
            ASSERT_GT(extent.height, 55);
            Box expected = c.box(extent.width, extent.height);
            Box ink = raster.marked();
            ASSERT_FALSE(ink.empty());
            // One pixel of antialiasing either side.
            EXPECT_GE(ink.left, 200 + expected.left - 1);
            EXPECT_GE(ink.top, 200 + expected.top - 1);
            EXPECT_LE(ink.right, 200 + expected.right + 1);
            EXPECT_LE(ink.bottom, 200 + expected.bottom + 1);
            // and it fills most of the extent along the line.
            bool alongX = c.escapement % 1800 == 0;
            int inkLength = alongX ? ink.right - ink.left : ink.bottom - ink.top;
            EXPECT_GT(inkLength, extent.width * 8 / 10);
        }
    }
}

TEST(CairoCanvasText, WindowsFacesMapToInstalledChineseFonts) {
    struct Case {
        std::string face;
        const char* family;
    };
    const Case cases[] = {
        {kSongTi, "AR PL UMing CN"},
        {"SimSun", "AR PL UMing CN"},
        {"\xD0\xC2\xCB\xCE\xCC\xE5", "AR PL UMing CN"}, // 新宋体
        {"NSimSun", "AR PL UMing CN"},
        {kHeiTi, "WenQuanYi Zen Hei"},
        {"SimHei", "WenQuanYi Zen Hei"},
        {"\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA", "WenQuanYi Zen Hei"}, // 微软雅黑
        {"Microsoft YaHei", "WenQuanYi Zen Hei"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(resolvedFontFamily(c.face), c.family) << c.family;
    }
}

TEST(CairoCanvasText, ChineseTextInSongTiRendersInk) {
    Raster raster = draw(300, 100, [](PageCanvas& canvas) {
        canvas.setFont({kSongTi, 60, 0, false, false, false, false});
        canvas.setTextColor(kBlack);
        canvas.drawText(10, 10, kZhongWen);
    });
    int inked = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 300; ++x) {
            inked += raster.ink(x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 200);
}

TEST(CairoCanvasText, ExtentIsTheSameOnEveryCanvasAndScalesWithHeight) {
    const std::string text = "Label 123 " + kZhongWen;
    auto measure = [&](PageCanvas& canvas, int height, bool bold) {
        canvas.setFont({kSongTi, height, 0, bold, false, false, false});
        return canvas.measureText(text);
    };
    auto picture = createImageCanvas(500, 500, 254);
    auto pdf = createPdfCanvas(500, 500, 600);
    ASSERT_TRUE(picture && pdf);
    TextExtent small = measure(*picture, 40, false);
    EXPECT_EQ(small, measure(*pdf, 40, false));
    TextExtent large = measure(*picture, 80, false);
    EXPECT_NEAR(large.width, 2 * small.width, 2);
    EXPECT_NEAR(large.height, 2 * small.height, 2);
    EXPECT_EQ(measure(*picture, 40, false).width, small.width);
    EXPECT_EQ(picture->measureText(""), (TextExtent{0, small.height}));
}

DecodedImage makeImage(int width, int height, std::vector<std::uint32_t> argb, bool oneBit) {
    DecodedImage image;
    image.width = width;
    image.height = height;
    image.argb = std::move(argb);
    image.oneBit = oneBit;
    return image;
}

TEST(CairoCanvasImages, StretchedIntoTheBoxAndMirroredByANegativeExtent) {
    // Red, green / blue, black, stretched 20 times wide and 10 times high.
    DecodedImage image =
        makeImage(2, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF000000u}, false);
    struct Case {
        int row;
        int left, right;
        std::uint32_t topLeft, topRight;
    };
    for (Case c : {Case{1, 10, 50, 0xFF0000u, 0x00FF00u}, Case{2, 50, 10, 0x00FF00u, 0xFF0000u}}) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        Raster raster = draw(100, 100, [&](PageCanvas& canvas) {
            canvas.drawImage(image, c.left, 20, c.right, 40);
        });
        Box box = raster.marked();
        EXPECT_EQ(box.left, 10);
        EXPECT_EQ(box.top, 20);
        EXPECT_EQ(box.right, 49);
        EXPECT_EQ(box.bottom, 39);
        EXPECT_EQ(raster.rgb(12, 22), c.topLeft);
        EXPECT_EQ(raster.rgb(47, 22), c.topRight);
        EXPECT_EQ(raster.rgb(12, 38), c.left < c.right ? 0x0000FFu : 0u);
    }
}

TEST(CairoCanvasImages, OneBitPicturesKeepHardEdgesAtAnyScale) {
    // Alternating modules, as in a barcode, at scales that do not divide evenly.
    std::vector<std::uint32_t> modules(7);
    for (std::size_t i = 0; i < modules.size(); ++i) {
        modules[i] = i % 2 == 0 ? 0xFF000000u : 0xFFFFFFFFu;
    }
    DecodedImage image = makeImage(7, 1, modules, true);
    for (int right : {80, 53, 37}) {
        SCOPED_TRACE("box width " + std::to_string(right - 10));
        Raster raster =
            draw(100, 50, [&](PageCanvas& canvas) { canvas.drawImage(image, 10, 10, right, 30); });
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 100; ++x) {
                std::uint32_t p = raster.rgb(x, y);
                ASSERT_TRUE(p == 0u || p == 0xFFFFFFu) << "grey at " << x << "," << y;
            }
        }
        EXPECT_EQ(raster.marked().left, 10);
        EXPECT_EQ(raster.marked().right, right - 1);
    }
    // Scaled by a whole factor, each module is exactly 10 pixels wide.
    Raster even =
        draw(100, 50, [&](PageCanvas& canvas) { canvas.drawImage(image, 10, 10, 80, 30); });
    for (int x = 10; x < 80; ++x) {
        EXPECT_EQ(even.rgb(x, 20), ((x - 10) / 10) % 2 == 0 ? 0u : 0xFFFFFFu) << x;
    }
}

TEST(CairoCanvasImages, InconsistentPicturesAreNotDrawn) {
    Raster raster = draw(50, 50, [](PageCanvas& canvas) {
        canvas.drawImage(makeImage(4, 4, {0xFF000000u}, false), 0, 0, 40, 40);
        canvas.drawImage(makeImage(0, 0, {}, false), 0, 0, 40, 40);
    });
    EXPECT_TRUE(raster.marked().empty());
}

TEST(PageCanvases, RefuseImpossibleSizes) {
    EXPECT_EQ(createImageCanvas(0, 100, 254), nullptr);
    EXPECT_EQ(createImageCanvas(100, -1, 254), nullptr);
    EXPECT_EQ(createImageCanvas(100, 100, 0), nullptr);
    EXPECT_EQ(createImageCanvas(40000, 100, 254), nullptr); // wider than 32767 pixels
    EXPECT_EQ(createPdfCanvas(0, 100, 300), nullptr);
    EXPECT_EQ(createPdfCanvas(100, 100, -300), nullptr);
    auto canvas = createImageCanvas(100, 100, 203);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->dpi(), 203);
    EXPECT_FALSE(canvas->newPage()); // a picture has one page
}

std::string writeTemp(const std::vector<std::uint8_t>& bytes, const char* suffix) {
    std::string path = ::testing::TempDir() + "tav_canvas_" + std::to_string(getpid()) + suffix;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

// A PDF page as poppler rasterises it, without smoothing.
Raster rasterise(const std::vector<std::uint8_t>& pdf, int dpi) {
    std::string path = writeTemp(pdf, ".pdf");
    std::string prefix = path + "-page";
    run("pdftoppm -r " + std::to_string(dpi) + " -png -singlefile -aa no -aaVector no '" + path +
        "' '" + prefix + "'");
    std::ifstream file(prefix + ".png", std::ios::binary);
    std::vector<std::uint8_t> png((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    std::remove((prefix + ".png").c_str());
    auto decoded = decodeImage(png);
    return {decoded ? std::move(*decoded) : DecodedImage{}};
}

TEST(PdfCanvas, PagesHaveThePaperSize) {
    // 100 x 50 mm is 283.46 x 141.73 points.
    auto canvas = createPdfCanvas(1000, 500, 300);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->dpi(), 300);
    canvas->setPen({0, kBlack});
    canvas->drawLine(100, 100, 900, 100);
    ASSERT_TRUE(canvas->newPage());
    canvas->drawLine(100, 200, 900, 200);
    ASSERT_TRUE(canvas->newPage()); // the third label is blank and must not be lost
    std::vector<std::uint8_t> pdf = canvas->finish();
    ASSERT_GT(pdf.size(), 5u);
    EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 5), "%PDF-");
    EXPECT_TRUE(canvas->finish().empty());
    canvas->drawLine(0, 0, 10, 10); // after finishing: ignored, no crash
    EXPECT_FALSE(canvas->newPage());

    std::string path = writeTemp(pdf, ".pdf");
    std::string info = run("pdfinfo '" + path + "' 2>&1");
    EXPECT_EQ(pdfinfoField(info, "Pages"), "3") << info;
    EXPECT_EQ(pdfinfoField(info, "Page size"), "283.465 x 141.732 pts") << info;
    std::remove(path.c_str());
}

// The thinnest line at the printer's resolution is one printer dot, and a barcode picture is
// marked for the viewer not to smooth it.
TEST(PdfCanvas, HairlinesAndOneBitPicturesAtThePrinterResolution) {
    auto canvas = createPdfCanvas(500, 300, 300);
    ASSERT_NE(canvas, nullptr);
    canvas->setPen({0, kBlack});
    canvas->drawLine(0, 150, 500, 150);
    canvas->drawImage(makeImage(3, 1, {0xFF000000u, 0xFFFFFFFFu, 0xFF000000u}, true), 100, 20, 400,
                      100);
    std::vector<std::uint8_t> pdf = canvas->finish();
    std::string text(pdf.begin(), pdf.end());
    EXPECT_NE(text.find("/Interpolate false"), std::string::npos);
    EXPECT_EQ(text.find("/Interpolate true"), std::string::npos);

    Raster raster = rasterise(pdf, 300);
    ASSERT_GT(raster.image.width, 0) << "pdftoppm gave no picture";
    // 15 mm down at 300 dpi is row 177; the line is one dot high.
    int rows = 0;
    for (int y = 170; y < 185; ++y) {
        rows += raster.ink(250, y) ? 1 : 0;
    }
    EXPECT_EQ(rows, 1);
}

// Two-color pictures go into a PDF as a stencil of one bit per module. Drawn one picture pixel
// to one device pixel, the page shows every module in its place and color; poppler rounds the
// edges of a scaled stencil outwards, so an edge pixel may take its neighbour's color.
DecodedImage planeImage(int width, int height, const std::function<bool(int, int)>& ink,
                        std::uint32_t background, std::uint32_t inkColor) {
    DecodedImage image;
    image.width = width;
    image.height = height;
    image.oneBit = true;
    DecodedImage::OneBitPlane plane;
    plane.width = static_cast<std::uint32_t>(width);
    plane.height = static_cast<std::uint32_t>(height);
    plane.stride = static_cast<std::size_t>(width + 31) / 32 * 4;
    plane.bits.assign(plane.stride * static_cast<std::size_t>(height), 0xA5); // junk in padding
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto& byte = plane.bits[static_cast<std::size_t>(y) * plane.stride +
                                    static_cast<std::size_t>(x / 8)];
            const auto bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
            byte = static_cast<std::uint8_t>(ink(x, y) ? byte | bit : byte & ~bit);
        }
    }
    plane.colors[0] = background;
    plane.colors[1] = inkColor;
    image.plane = std::move(plane);
    return image;
}

TEST(PdfCanvas, TwoColorPicturesShowEveryPixelAsItIs) {
    const std::uint32_t white = 0xFFFFFFFF, black = 0xFF000000;
    struct Case {
        int row;
        const char* what;
        DecodedImage image;
        const char* maskSize; // the stencil's size in the PDF, one bit per module
    };
    auto qrModule = [](int x, int y) { return ((x * 7 + y * 3) ^ (x * y)) % 3 == 0; };
    std::vector<Case> cases;
    cases.push_back({1, "QR-like: 7-pixel modules, a margin that is no multiple of 7",
                     planeImage(
                         157, 157,
                         [&](int x, int y) {
                             return x >= 5 && y >= 5 && x < 152 && y < 152 &&
                                    qrModule((x - 5) / 7, (y - 5) / 7);
                         },
                         white, black),
                     "/Width 21"});
    cases.push_back({2, "barcode-like: 3-pixel modules, bars on rows 1 to 110 of 112",
                     planeImage(
                         64, 112,
                         [](int x, int y) {
                             const int module = (x - 2) / 3;
                             return x >= 2 && x < 62 && y >= 1 && y <= 110 && module % 5 != 1 &&
                                    module % 7 != 3;
                         },
                         white, black),
                     "/Height 1"});
    cases.push_back(
        {3, "irregular: single pixels",
         planeImage(
             40, 30, [](int x, int y) { return (x * x + 3 * y) % 7 == 0; }, white, black),
         nullptr});
    cases.push_back(
        {4, "colored ink on a colored background",
         planeImage(
             48, 24, [](int x, int y) { return (x / 4 + y / 4) % 2 == 0; }, 0xFFFFFF00, 0xFF0000FF),
         "/Width 12"});
    cases.push_back({5, "as barcodes are written: black is color 0, the set bits are white",
                     planeImage(
                         64, 112,
                         [](int x, int y) {
                             const int module = (x - 2) / 3;
                             return !(x >= 2 && x < 62 && y >= 1 && y <= 110 && module % 4 != 1);
                         },
                         black, white),
                     "/Height 1"});
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.what);
        const int w = c.image.width, h = c.image.height;
        auto canvas = createPdfCanvas(w + 20, h + 20, 254);
        ASSERT_NE(canvas, nullptr);
        canvas->drawImage(c.image, 10, 10, 10 + w, 10 + h);
        const std::vector<std::uint8_t> pdf = canvas->finish();
        const std::string text(pdf.begin(), pdf.end());
        if (c.maskSize) {
            EXPECT_NE(text.find(c.maskSize), std::string::npos) << "the stencil is not per module";
        }
        const Raster page = rasterise(pdf, 254);
        ASSERT_GE(page.image.width, w + 20);
        const auto expected = argbPixels(c.image);
        auto colorAt = [&](int x, int y) {
            x = std::clamp(x, 0, w - 1);
            y = std::clamp(y, 0, h - 1);
            return expected[static_cast<std::size_t>(y * w + x)] & 0xFFFFFF;
        };
        int wrong = 0, edge = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t seen = page.rgb(10 + x, 10 + y);
                if (seen == colorAt(x, y))
                    continue;
                bool neighbour = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        neighbour = neighbour || colorAt(x + dx, y + dy) == seen;
                ++(neighbour ? edge : wrong);
            }
        }
        EXPECT_EQ(wrong, 0) << "pixels of a color that is nowhere near them";
        EXPECT_LE(edge, w * h / 2) << "edges moved by more than a pixel";
    }
}

// Underline and strike-out positions once came out in device units on the PDF page, several
// millimetres away from the text.
TEST(PdfCanvas, TextLooksAsOnThePicture) {
    auto paint = [](PageCanvas& canvas) {
        canvas.setTextColor(kBlack);
        for (int escapement : {0, 900}) {
            canvas.setFont({kHeiTi, 60, escapement, true, true, true, true});
            canvas.drawText(escapement == 0 ? 20 : 320, escapement == 0 ? 20 : 280,
                            kZhongWen + " Turn");
        }
    };
    Raster picture = draw(400, 300, paint);
    auto pdfCanvas = createPdfCanvas(400, 300, 600);
    ASSERT_NE(pdfCanvas, nullptr);
    paint(*pdfCanvas);
    Raster page = rasterise(pdfCanvas->finish(), 254);
    // poppler rounds the page up to whole pixels.
    ASSERT_GE(page.image.width, picture.image.width);
    ASSERT_GE(page.image.height, picture.image.height);
    for (Box area : {Box{0, 0, 299, 150}, Box{300, 0, 399, 299}}) {
        Box a = picture.marked(area);
        Box b = page.marked(area);
        ASSERT_FALSE(a.empty());
        EXPECT_NEAR(a.left, b.left, 2);
        EXPECT_NEAR(a.top, b.top, 2);
        EXPECT_NEAR(a.right, b.right, 2);
        EXPECT_NEAR(a.bottom, b.bottom, 2);
    }
}

} // namespace
} // namespace tav::platform

namespace tav::platform {
namespace {

// The pixels of a window of `width` x `height` at (left, top) on a page drawn by `paint` on a
// canvas over caller-owned pixels, and the untouched margin of two rows and four columns around
// it (white unless the canvas wrote outside its window).
struct Window {
    int left, top, width, height;
    std::vector<std::uint32_t> pixels; // with the margin
    int stride() const { return (width + 8) * 4; }
    std::uint32_t at(int x, int y) const { // -4 <= x < width + 4, -2 <= y < height + 2
        return pixels[static_cast<std::size_t>(y + 2) * (stride() / 4) + x + 4] & 0xFFFFFF;
    }
};

Window drawWindow(int left, int top, int width, int height, int dpi,
                  const std::function<void(Canvas&)>& paint) {
    Window w{left, top, width, height, {}};
    w.pixels.assign(static_cast<std::size_t>(w.stride() / 4) * (height + 4), 0xFFFFFFFFu);
    std::uint8_t* origin = reinterpret_cast<std::uint8_t*>(w.pixels.data()) + 2 * w.stride() + 16;
    auto canvas =
        createPixelCanvas({origin, width, height, w.stride()}, dpi / 254.0, dpi, left, top);
    EXPECT_NE(canvas, nullptr);
    if (canvas)
        paint(*canvas);
    return w;
}

// A canvas over caller-owned pixels draws a window of the page exactly as the picture of the
// whole page shows it there, at scales that are not a whole dpi too, and touches nothing
// outside the window. Edges that the window's top or left side cuts through may be shaded a
// little differently (cairo starts stepping along them at the window), never by much.
TEST(PixelCanvas, WindowsShowThePixelsOfTheWholePage) {
    const auto inside = [](Canvas& canvas) {
        canvas.setPen({3, kRed});
        canvas.setBrush({0x00FF00});
        canvas.drawRoundRect(50, 40, 150, 120, 30, 30);
        canvas.drawEllipse(60, 50, 140, 90, false);
        canvas.setPen({0, kBlack});
        canvas.drawLine(45, 130, 190, 135);
        canvas.setFont({kSongTi, 30});
        canvas.setTextColor(kBlack);
        canvas.drawText(55, 95, kZhongWen + "AB12");
    };
    const auto crossing = [](Canvas& canvas) {
        canvas.setPen({3, kRed});
        canvas.setBrush({0x00FF00});
        canvas.drawRoundRect(5, 5, 120, 100, 40, 40);
        canvas.setPen({0, kBlack});
        canvas.drawLine(0, 3, 150, 110);
        canvas.setFont({kSongTi, 40});
        canvas.drawText(2, 20, kZhongWen + "AB12");
    };
    for (int dpi : {254, 381}) {
        SCOPED_TRACE(dpi);
        const int left = dpi * 40 / 254, top = dpi * 30 / 254; // 4 mm and 3 mm into the page
        const int width = dpi * 150 / 254, height = dpi * 110 / 254;
        for (bool cut : {false, true}) {
            SCOPED_TRACE(cut ? "cut by the window" : "inside the window");
            const auto& paint = cut ? crossing : inside;
            const Raster whole = draw(200, 160, paint, dpi);
            ASSERT_GT(whole.image.width, 0);
            const Window window = drawWindow(left, top, width, height, dpi, paint);
            int differing = 0, largest = 0;
            for (int y = -2; y < height + 2; ++y) {
                for (int x = -4; x < width + 4; ++x) {
                    const bool in = x >= 0 && y >= 0 && x < width && y < height;
                    const std::uint32_t got = window.at(x, y);
                    const std::uint32_t expected = in ? whole.rgb(x + left, y + top) : 0xFFFFFF;
                    if (!in) {
                        EXPECT_EQ(got, expected) << "outside the window at " << x << "," << y;
                        continue;
                    }
                    differing += got != expected;
                    for (int shift : {0, 8, 16}) {
                        largest = std::max(largest, std::abs(int((got >> shift) & 0xFF) -
                                                             int((expected >> shift) & 0xFF)));
                    }
                }
            }
            if (!cut) {
                EXPECT_EQ(differing, 0);
            }
            EXPECT_LE(largest, 16);
        }
    }
    EXPECT_EQ(createPixelCanvas({nullptr, 10, 10, 40}, 1.0, 254, 0, 0), nullptr);
    std::vector<std::uint32_t> small(100);
    EXPECT_EQ(createPixelCanvas({reinterpret_cast<std::uint8_t*>(small.data()), 10, 10, 20}, 1.0,
                                254, 0, 0),
              nullptr); // a stride shorter than a row
}

} // namespace
} // namespace tav::platform
