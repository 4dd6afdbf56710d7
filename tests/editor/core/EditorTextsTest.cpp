// The texts of the property fields, the status bar, the zoom choices and the caption.
#include "editor/core/EditorTexts.h"

#include <gtest/gtest.h>

#include <limits>

namespace tav::editor {
namespace {

TEST(EditorTexts, LengthsShowInMillimetresWithoutTrailingZeros) {
    struct Case {
        std::int32_t tenths;
        const char* expected;
    };
    const Case cases[] = {
        {125, "12.5"},   {100, "10"},  {0, "0"},
        {5, "0.5"},      {-5, "-0.5"}, {-125, "-12.5"},
        {4999, "499.9"}, {-30, "-3"},  {std::numeric_limits<std::int32_t>::min(), "-214748364.8"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tenths);
        EXPECT_EQ(formatMillimetres(c.tenths), c.expected);
    }
}

TEST(EditorTexts, TypedMillimetresBecomeTruncatedTenths) {
    struct Case {
        int row;
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {1, "12.5", 125},  {2, "499.9", 4999}, {3, "500", 5000}, {4, "0", 0},
        {5, "12.34", 123}, {6, "12.39", 123},  {7, "-0.05", 0},  {8, "-1.25", -12},
        {9, " 7 ", 70},    {10, "+3", 30},     {11, "", {}},     {12, "abc", {}},
        {13, "12mm", {}},  {14, "1e3", 10000}, {15, "1e12", {}}, {16, "nan", {}},
        {17, "inf", {}},   {18, "-", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(parseMillimetres(c.text), c.expected);
    }
}

TEST(EditorTexts, PaperLengthsAreTakenFromOneToFiveHundredMillimetres) {
    struct Case {
        int row;
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {1, "1", 10},
        {2, "500", 5000},
        {3, "0.99", {}},
        {4, "500.1", {}},
        {5, "0.99999999", 10}, // within the tolerance below 1: the minimum, 1 mm
        {6, "500.00000001", 5000},
        {7, "50.55", 505},
        {8, "x", {}},
        {9, "-5", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(parsePaperLength(c.text), c.expected);
    }
}

TEST(EditorTexts, IntegersAreWholeNumbersOnly) {
    EXPECT_EQ(parseInteger("12"), 12);
    EXPECT_EQ(parseInteger(" -3 "), -3);
    EXPECT_EQ(parseInteger("+4"), 4);
    EXPECT_EQ(parseInteger("1.5"), std::nullopt);
    EXPECT_EQ(parseInteger(""), std::nullopt);
    EXPECT_EQ(parseInteger("99999999999"), std::nullopt);
}

TEST(EditorTexts, StatusBarTexts) {
    EXPECT_EQ(emptyPositionText(), "x = 0.00 mm  y = 0.00 mm");
    EXPECT_EQ(emptyBoxText(), "x = 0.00 mm  y = 0.00 mm  w = 0.00 mm  h = 0.00 mm");
    EXPECT_EQ(positionText(12.345, 0), "x = 12.35 mm  y = 0.00 mm");
    // The pointer at canvas pixels: 150 px at 150 % is 100 tenths, 10 mm.
    EXPECT_EQ(pointerText(150, 75, 1.5), "x = 10.00 mm  y = 5.00 mm");
    EXPECT_EQ(pointerText(1, 2, 1.0), "x = 0.10 mm  y = 0.20 mm");
    EXPECT_EQ(boxText({12, 340, 1000, 5}), "x = 1.20 mm  y = 34.00 mm  w = 100.00 mm  h = 0.50 mm");
}

TEST(EditorTexts, ZoomChoicesAndCaption) {
    EXPECT_EQ(zoomChoiceText(0), "10%");
    EXPECT_EQ(zoomChoiceText(9), "100%");
    EXPECT_EQ(zoomChoiceText(kZoomChoices - 1), "200%");
    EXPECT_EQ(windowCaption(""), "TAVEditor - 未命名.tav");
    EXPECT_EQ(windowCaption("/home/me/my label.tav"), "TAVEditor - /home/me/my label.tav");
}

} // namespace
} // namespace tav::editor
