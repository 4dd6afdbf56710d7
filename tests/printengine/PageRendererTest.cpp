#include "printengine/PageRenderer.h"

#include "printengine/MulDiv.h"
#include "printengine/PictureCache.h"
#include "support/RecordingCanvas.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

namespace tav::engine {
namespace {

using tpl::ElementKind;
using Ops = std::vector<std::string>;

// An 8 x 1 one-bit BMP (bottom-up, black and white palette).
tpl::SharedBytes oneBitBmp() {
    std::vector<std::uint8_t> b = {
        'B', 'M', 66, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40,  0,   0,   0, 8,    0, 0, 0,
        1,   0,   0,  0, 1, 0, 1, 0, 0, 0, 0,  0, 0, 0, 0,   0,   0,   0, 0,    0, 0, 0,
        0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 255, 255, 255, 0, 0xA5, 0, 0, 0};
    return tpl::SharedBytes(b);
}

tpl::TemplateElement element(ElementKind kind, std::int32_t x, std::int32_t y, std::int32_t w,
                             std::int32_t h) {
    tpl::TemplateElement e;
    e.kind = static_cast<std::int32_t>(kind);
    e.box = {x, y, w, h};
    e.penWidth = 3;
    e.penColor = 0x0000FF;
    e.fillColor = 0x00FF00;
    return e;
}

class PageRenderer : public testing::Test {
protected:
    Ops render(const tpl::TemplateElement& e, std::int32_t printScale = 96, int dpi = 600,
               int screenDpi = 96) {
        tpl::Template tpl;
        tpl.page = {1000, 1000, 0, 0xFFFFFF, printScale, 1.0f, ""};
        tpl.elements.push_back(e);
        test::RecordingCanvas canvas;
        m_result = renderTemplate(tpl, canvas, {.deviceDpiY = dpi, .screenDpi = screenDpi});
        return canvas.operations();
    }
    RenderStatus m_result = RenderStatus::success();
};

const char* kPen = "pen 3 FF0000"; // COLORREF 0x0000FF is red, recorded as RRGGBB
const char* kBrush = "brush 00FF00";

struct ShapeCase {
    int row;
    const char* why;
    tpl::TemplateElement element;
    Ops drawing; // what follows the pen and brush
};

TEST_F(PageRenderer, ShapesAndLinesAreDrawnAtTheirPositions) {
    auto rounded = element(ElementKind::RoundedRect, 10, 20, 100, 50);
    rounded.cornerSize = 40;
    auto square = element(ElementKind::RoundedRect, 10, 20, 100, 50);
    const ShapeCase cases[] = {
        {1,
         "an outline rectangle is four separate lines",
         element(ElementKind::RectOutline, 10, 20, 100, 50),
         {"line 10 20 110 20", "line 10 70 110 70", "line 10 20 10 70", "line 110 20 110 70"}},
        {2,
         "filled rectangle",
         element(ElementKind::RectFilled, 10, 20, 100, 50),
         {"roundrect 10 20 110 70 0 0"}},
        {3, "rounded rectangle", rounded, {"roundrect 10 20 110 70 40 40"}},
        {4, "corner size 0 gives square corners", square, {"roundrect 10 20 110 70 0 0"}},
        {5,
         "ellipse outline, with no line leading to it",
         element(ElementKind::EllipseOutline, 10, 20, 100, 50),
         {"ellipse outline 10 20 110 70"}},
        {6,
         "filled ellipse",
         element(ElementKind::EllipseFilled, 10, 20, 100, 50),
         {"ellipse filled 10 20 110 70"}},
        {7,
         "a horizontal line at y = 100 is drawn at 105, whatever its height",
         element(ElementKind::HorizontalLine, 10, 100, 300, 77),
         {"line 10 105 310 105"}},
        {8,
         "a vertical line runs half a millimetre right of x",
         element(ElementKind::VerticalLine, 10, 100, 10, 300),
         {"line 15 100 15 400"}},
        {9,
         "diagonal down",
         element(ElementKind::DiagonalDown, 10, 20, 100, 50),
         {"line 10 20 110 70"}},
        {10,
         "diagonal up",
         element(ElementKind::DiagonalUp, 10, 20, 100, 50),
         {"line 10 70 110 20"}},
        {11,
         "sums beyond 32 bits are cut to the range",
         element(ElementKind::DiagonalDown, 2147483600, 0, 100, 10),
         {"line 2147483600 0 2147483647 10"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        Ops expected = {kPen, kBrush};
        expected.insert(expected.end(), c.drawing.begin(), c.drawing.end());
        EXPECT_EQ(render(c.element), expected);
        EXPECT_TRUE(m_result.ok()) << m_result.error();
    }
}

TEST_F(PageRenderer, PenWidthZeroIsPassedOnAsTheThinnestLine) {
    auto e = element(ElementKind::RectOutline, 0, 0, 10, 10);
    e.penWidth = 0;
    EXPECT_EQ(render(e).front(), "pen 0 FF0000");
}

TEST(PrintedTextHeight, FollowsTheCalibratedArithmetic) {
    struct Case {
        int row;
        const char* why;
        std::int32_t size, printScale, screenDpi, deviceDpi, height;
    };
    const Case cases[] = {
        {1, "9 pt at scale 96: S = 8, -11 on screen, -6 on a 600-dpi printer", 9, 96, 96, 600, 6},
        {2, "the same on a 300-dpi printer", 9, 96, 96, 300, 12},
        {3, "a smaller print scale prints larger: S = 57, -76, -86", 9, 15, 96, 300, 86},
        {4, "print scale 0: the size the designer's canvas shows", 9, 0, 96, 600, 12},
        {5, "negative print scale: likewise", 12, -5, 96, 300, 16},
        {6, "a negative size prints as its magnitude", -9, 96, 96, 600, 6},
        {7, "never less than the smallest height", 1, 96, 96, 2400, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        EXPECT_EQ(printedTextHeight(c.size, c.printScale, c.screenDpi, c.deviceDpi), c.height);
    }
    EXPECT_EQ(mulDiv(-11, 339, 600), -6);
    EXPECT_EQ(mulDiv(5, 1, 2), 3); // halves round away from zero
    EXPECT_EQ(mulDiv(-5, 1, 2), -3);
    EXPECT_EQ(mulDiv(1, 1, 0), -1);
}

TEST_F(PageRenderer, TextIsTurnedInsideItsBox) {
    struct Case {
        int row;
        std::int32_t angle;
        std::int32_t escapement;
        const char* at; // the reference point: extent of "AB" at height 6 is 6 x 7
    };
    const Case cases[] = {
        {1, 0, 0, "text 100 200 'AB'"},
        {2, 900, 2700, "text 107 200 'AB'"},  // reads top to bottom from (x + cy, y)
        {3, 1800, 1800, "text 106 207 'AB'"}, // upside down from (x + cx, y + cy)
        {4, 2700, 900, "text 100 250 'AB'"},  // reads bottom to top from (x, y + h)
        {5, 450, 0, "text 100 200 'AB'"},     // between quarter turns: the one below
        {6, 3600, 0, "text 100 200 'AB'"},    // outside 0..3599: unturned
        {7, -900, 0, "text 100 200 'AB'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": angle " << c.angle);
        auto e = element(ElementKind::Text, 100, 200, 300, 50);
        e.content = "AB";
        e.textColor = 0x123456;
        e.font.angle = c.angle;
        e.font.bold = true;
        e.font.underline = true;
        const Ops expected = {kPen, kBrush,
                              "font '\xCB\xCE\xCC\xE5' 6 " + std::to_string(c.escapement) +
                                  " bold underline",
                              "textcolor 563412", c.at};
        EXPECT_EQ(render(e), expected);
    }
}

TEST_F(PageRenderer, TextHeightsUseTheScreenResolutionTheCallerGives) {
    auto e = element(ElementKind::Text, 0, 0, 300, 50);
    e.content = "AB";
    const auto fontAt = [&](int screenDpi) { return render(e, 96, 600, screenDpi).at(2); };
    // The environment variable behind GetDPI is no input of the renderer: only the options are.
    ::setenv("TAV_SCREEN_DPI", "300", 1);
    const std::string at96 = fontAt(96);
    ::unsetenv("TAV_SCREEN_DPI");
    EXPECT_EQ(at96, "font '\xCB\xCE\xCC\xE5' 6 0");
    EXPECT_EQ(fontAt(96), at96);
    EXPECT_EQ(fontAt(144), "font '\xCB\xCE\xCC\xE5' " +
                               std::to_string(printedTextHeight(9, 96, 144, 600)) + " 0");
    EXPECT_NE(fontAt(144), at96);
}

TEST_F(PageRenderer, PicturesAreStretchedIntoTheirBoxes) {
    auto e = element(ElementKind::BarcodeImage, 10, 20, 400, 100);
    e.image.shown = oneBitBmp();
    const Ops expected = {kPen, kBrush, "image 8x1 1-bit 10 20 410 120"};
    EXPECT_EQ(render(e), expected);
    EXPECT_TRUE(m_result.ok()) << m_result.error();
}

TEST_F(PageRenderer, APictureThatCannotBeDrawnStopsThePage) {
    struct Case {
        int row;
        const char* why;
        std::int32_t kind;
        tpl::SharedBytes shown;
        RenderError error;
    };
    const std::vector<std::uint8_t> notAPicture = {'n', 'o', 'p', 'e'};
    const Case cases[] = {
        {1, "a barcode that was never made", 10, {}, RenderError::NoPicture},
        {2, "a QR code whose bytes are no picture", 11, tpl::SharedBytes(notAPicture),
         RenderError::BadPicture},
        {3, "a picture element with nothing", 12, {}, RenderError::NoPicture},
        {4,
         "a kind this program does not know is drawn as a picture",
         0,
         {},
         RenderError::NoPicture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        tpl::Template tpl;
        tpl.page = {1000, 1000, 0, 0, 96, 1.0f, ""};
        tpl.elements.push_back(element(ElementKind::HorizontalLine, 0, 0, 10, 10));
        auto picture = element(ElementKind::Picture, 10, 10, 10, 10);
        picture.kind = c.kind;
        picture.image.shown = c.shown;
        tpl.elements.push_back(picture);
        tpl.elements.push_back(element(ElementKind::HorizontalLine, 0, 0, 10, 10));
        test::RecordingCanvas canvas;
        const auto result = renderTemplate(tpl, canvas, {.deviceDpiY = 300});
        EXPECT_EQ(result.code(), c.error);
        EXPECT_EQ(result.error().rfind("element 2: the element", 0), 0u) << result.error();
        EXPECT_TRUE(canvas.operations().empty()) << "a page that cannot be finished is not begun";
    }
}

TEST_F(PageRenderer, PicturesThatDoNotChangeAreDecodedOnce) {
    PictureCache cache;
    const tpl::SharedBytes logo = oneBitBmp();
    const auto first = cache.decode(logo);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.decode(logo), first); // the same storage: the same decoded picture
    const tpl::SharedBytes rebuilt(
        std::vector<std::uint8_t>(logo.span().begin(), logo.span().end()));
    EXPECT_NE(cache.decode(rebuilt), first); // equal bytes, but a picture made anew
    EXPECT_EQ(cache.decode(tpl::SharedBytes()), nullptr);

    auto e = element(ElementKind::Picture, 0, 0, 10, 10);
    e.image.shown = logo;
    tpl::Template tpl;
    tpl.elements = {e, e};
    test::RecordingCanvas canvas;
    RenderOptions options;
    options.pictures = &cache;
    EXPECT_TRUE(renderTemplate(tpl, canvas, options).ok());
}

// A canvas that keeps which decoded pictures it was given: each decode makes a picture of its
// own, so the number of different pictures drawn is the number of decodes.
class PictureCountingCanvas final : public platform::Canvas {
public:
    void setPen(const platform::Pen&) override {}
    void setBrush(const platform::Brush&) override {}
    void setFont(const platform::Font&) override {}
    void setTextColor(platform::ColorRef) override {}
    void drawLine(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
    void drawRoundRect(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                       std::int32_t) override {}
    void drawEllipse(std::int32_t, std::int32_t, std::int32_t, std::int32_t, bool) override {}
    platform::TextExtent measureText(std::string_view) override { return {}; }
    void drawText(std::int32_t, std::int32_t, std::string_view) override {}
    void drawImage(const platform::DecodedImage& image, std::int32_t, std::int32_t, std::int32_t,
                   std::int32_t) override {
        ++drawn;
        pictures.insert(&image);
    }
    std::size_t drawn = 0;
    std::set<const platform::DecodedImage*> pictures;
};

TEST(PictureDecoding, APictureIsDecodedOnceForAllElementsAndPagesThatShowIt) {
    const tpl::SharedBytes logo = oneBitBmp();
    const tpl::SharedBytes badge(std::vector<std::uint8_t>(logo.span().begin(), logo.span().end()));
    auto picture = [](const tpl::SharedBytes& bytes) {
        auto e = element(ElementKind::Picture, 0, 0, 10, 10);
        e.image.shown = bytes;
        return e;
    };
    tpl::Template tpl;
    tpl.elements = {picture(logo), picture(logo), picture(badge)};

    // Without a cache every element's picture is decoded.
    PictureCountingCanvas single;
    ASSERT_TRUE(renderTemplate(tpl, single, {}).ok());
    EXPECT_EQ(single.drawn, 3u);
    EXPECT_EQ(single.pictures.size(), 3u);

    // With one, as in a batch: the logo and the badge once each over three pages.
    PictureCache cache;
    PictureCountingCanvas batch;
    for (int page = 0; page < 3; ++page)
        ASSERT_TRUE(renderTemplate(tpl, batch, {.pictures = &cache}).ok());
    EXPECT_EQ(batch.drawn, 9u);
    EXPECT_EQ(batch.pictures.size(), 2u);

    // A mark that rebuilds the badge gives a new picture, decoded once more.
    tpl.elements[2].image.shown =
        tpl::SharedBytes(std::vector<std::uint8_t>(logo.span().begin(), logo.span().end()));
    for (int page = 0; page < 2; ++page)
        ASSERT_TRUE(renderTemplate(tpl, batch, {.pictures = &cache}).ok());
    EXPECT_EQ(batch.pictures.size(), 3u);
}

} // namespace
} // namespace tav::engine
