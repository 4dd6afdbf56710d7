// The designer's editing operations, one table per operation: rows are numbered and say where
// the case comes from (a rule of the designer, an edge, a fault that was fixed).
#include "editor/core/EditorDocument.h"
#include "editor/core/FakeServices.h"
#include "printengine/PictureTurn.h"

#include <gtest/gtest.h>

#include <limits>

namespace tav::editor {
namespace {

using tpl::ElementBox;
using tpl::ElementKind;

std::int32_t code(ElementKind kind) {
    return static_cast<std::int32_t>(kind);
}

class DocumentTest : public testing::Test {
protected:
    test::FakeServices fakes;
    EditorDocument doc{fakes.services()};
};

TEST_F(DocumentTest, ANewDocumentIsFiftyMillimetresSquareAndEmpty) {
    EXPECT_EQ(doc.page().paperWidth, 500);
    EXPECT_EQ(doc.page().paperHeight, 500);
    EXPECT_EQ(doc.page().orientation, 0);
    EXPECT_EQ(doc.page().paperColor, 0xFFFFFF);
    EXPECT_EQ(doc.page().printScale, 0);
    EXPECT_EQ(doc.page().printerName, "");
    EXPECT_EQ(doc.zoom(), 1.0f);
    EXPECT_EQ(doc.elementCount(), 1); // the placeholder only
    EXPECT_EQ(doc.selectedIndex(), kPlaceholderIndex);
    EXPECT_FALSE(doc.hasSelection());
    EXPECT_EQ(doc.selectedKind(), 0);
    // The placeholder: all zero but the font.
    EXPECT_EQ(doc.font().size, 9);
    EXPECT_EQ(doc.font().faceName, tpl::kDefaultFaceName);
    EXPECT_EQ(doc.box(), ElementBox{});
}

TEST_F(DocumentTest, ResetForgetsElementsPageZoomAndSelections) {
    doc.addRect(10, 10, 50, 50, false);
    doc.select(2);
    doc.addToMultiSelection(20, 20);
    doc.setPage({.paperWidth = 800, .printerName = "PDF"});
    doc.setZoom(1.5f);
    doc.reset();
    EXPECT_EQ(doc.templ(), EditorDocument(fakes.services()).templ());
    EXPECT_EQ(doc.elementCount(), 1);
    EXPECT_EQ(doc.selectedIndex(), kPlaceholderIndex);
    EXPECT_EQ(doc.multiSelectionCount(), 0);
}

TEST_F(DocumentTest, SetPageTakesSizesOnlyWhenPositive) {
    struct Case {
        int row;
        PageChange change;
        tpl::PageSettings expected;
    };
    auto page = [](std::int32_t w, std::int32_t h, std::int32_t orientation, std::int32_t color,
                   std::int32_t scale, std::string printer) {
        tpl::PageSettings p;
        p.paperWidth = w;
        p.paperHeight = h;
        p.orientation = orientation;
        p.paperColor = color;
        p.printScale = scale;
        p.zoom = 1.0f;
        p.printerName = std::move(printer);
        return p;
    };
    const Case cases[] = {
        {1, {}, page(500, 500, 0, 0xFFFFFF, 0, "")},
        {2, {.paperWidth = 1, .paperHeight = 5000}, page(1, 5000, 0, 0xFFFFFF, 0, "")},
        {3, {.paperWidth = 0, .paperHeight = -10}, page(500, 500, 0, 0xFFFFFF, 0, "")},
        {4,
         {.orientation = 1, .paperColor = 0x00FF00, .printScale = 96, .printerName = "PDF"},
         page(500, 500, 1, 0x00FF00, 96, "PDF")},
        {5, {.printScale = 0, .printerName = ""}, page(500, 500, 0, 0xFFFFFF, 0, "")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EditorDocument d(fakes.services());
        d.setPage(c.change);
        EXPECT_EQ(d.page(), c.expected);
    }
}

TEST_F(DocumentTest, SelectTakesOnlyIndicesInUse) {
    doc.addRect(0, 0, 10, 10, false);
    doc.addRect(0, 0, 10, 10, false); // indices 2 and 3
    struct Case {
        int row;
        std::int32_t index;
        std::int32_t expected; // starting from 2 selected
    };
    const Case cases[] = {{1, 1, 1}, {2, 3, 3}, {3, 4, 2}, {4, 0, 2}, {5, -1, 2}, {6, 2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        doc.select(2);
        doc.select(c.index);
        EXPECT_EQ(doc.selectedIndex(), c.expected);
    }
}

TEST_F(DocumentTest, FieldSettersActOnTheSelectedElementOnly) {
    doc.addRect(0, 0, 10, 10, true);
    doc.addRect(0, 0, 10, 10, true);
    doc.select(3);
    doc.setPenColor(0x0000FF);
    doc.setPenWidth(4);
    doc.setFillColor(0x00FF00);
    doc.setCornerSize(25);
    doc.setTextColor(0x123456);
    doc.setMark("{NAME}");
    tpl::ElementFont font;
    font.faceName = "SimHei";
    font.size = 12;
    font.bold = true;
    doc.setFont(font);

    EXPECT_EQ(doc.penColor(), 0x0000FF);
    EXPECT_EQ(doc.penWidth(), 4);
    EXPECT_EQ(doc.fillColor(), 0x00FF00);
    EXPECT_EQ(doc.cornerSize(), 25);
    EXPECT_EQ(doc.textColor(), 0x123456);
    EXPECT_EQ(doc.mark(), "{NAME}");
    EXPECT_EQ(doc.font(), font);
    EXPECT_EQ(doc.element(2).penColor, 0);
    EXPECT_EQ(doc.element(2).mark, "");
}

TEST_F(DocumentTest, WithNothingSelectedSettersChangeNothing) {
    doc.addRect(0, 0, 10, 10, true);
    const tpl::Template before = doc.templ();
    doc.setPenColor(1);
    doc.setPenWidth(2);
    doc.setFillColor(3);
    doc.setCornerSize(4);
    doc.setTextColor(5);
    doc.setMark("m");
    doc.setContent("c");
    doc.setFont({});
    doc.setPicture(tpl::SharedBytes(test::makeBmp(1, 1)));
    doc.setRotation(900);
    doc.setQrSize(7);
    doc.setBox({.x = 1, .y = 1, .width = 1, .height = 1});
    doc.moveSelected(Direction::Down);
    doc.deleteSelected();
    EXPECT_EQ(doc.duplicateSelected(), kPlaceholderIndex);
    EXPECT_FALSE(doc.raiseSelected());
    EXPECT_FALSE(doc.lowerSelected());
    doc.centerHorizontally();
    doc.centerVertically();
    EXPECT_EQ(doc.templ(), before);
    EXPECT_EQ(doc.penColor(), 0); // the placeholder's
}

TEST_F(DocumentTest, SetBoxTakesPositionsAndSizesInTheirRanges) {
    struct Case {
        int row;
        const char* why;
        BoxChange change;
        ElementBox expected; // from {100, 100, 100, 100}
    };
    const Case cases[] = {
        {1, "nothing given", {}, {100, 100, 100, 100}},
        {2, "x and y 0 are taken", {.x = 0, .y = 0}, {0, 0, 100, 100}},
        {3, "x and y -1 are ignored", {.x = -1, .y = -1}, {100, 100, 100, 100}},
        {4,
         "4999 is taken",
         {.x = 4999, .y = 4999, .width = 4999, .height = 4999},
         {4999, 4999, 4999, 4999}},
        {5,
         "5000 is ignored",
         {.x = 5000, .y = 5000, .width = 5000, .height = 5000},
         {100, 100, 100, 100}},
        {6,
         "width and height 0 are ignored (typing 0 mm)",
         {.width = 0, .height = 0},
         {100, 100, 100, 100}},
        {7, "width and height 1 are taken", {.width = 1, .height = 1}, {100, 100, 1, 1}},
        {8, "one field alone", {.height = 250}, {100, 100, 100, 250}},
        {9,
         "valid and invalid together",
         {.x = 7, .y = -3, .width = -5, .height = 8},
         {7, 100, 100, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        EditorDocument d(fakes.services());
        d.select(d.addRect(100, 100, 100, 100, false));
        d.setBox(c.change);
        EXPECT_EQ(d.box(), c.expected);
    }
}

TEST_F(DocumentTest, LinesKeepTheirThicknessWhateverTheBoxAsksFor) {
    struct Case {
        int row;
        ElementKind kind;
        BoxChange change;
        ElementBox expected; // from {10, 20, 100, 100}
    };
    const Case cases[] = {
        {1, ElementKind::HorizontalLine, {.width = 300, .height = 50}, {10, 20, 300, 10}},
        {2, ElementKind::HorizontalLine, {.x = 5}, {5, 20, 100, 10}},
        {3, ElementKind::VerticalLine, {.width = 300, .height = 50}, {10, 20, 10, 50}},
        {4, ElementKind::VerticalLine, {.y = 0}, {10, 0, 10, 100}},
        {5, ElementKind::DiagonalDown, {.width = 300, .height = 50}, {10, 20, 300, 50}},
        {6, ElementKind::DiagonalUp, {.width = 30}, {10, 20, 30, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EditorDocument d(fakes.services());
        d.select(d.addLine(10, 20, 100, 100, c.kind));
        d.setBox(c.change);
        EXPECT_EQ(d.box(), c.expected);
    }
}

TEST_F(DocumentTest, ATextsBoxIsItsMeasuredExtentTurnedWithTheText) {
    // The fixed measurer: 9 pt text "12345" is 45 x 18; 12 pt "ab" 24 x 24.
    struct Case {
        int row;
        std::int32_t angle;
        ElementBox expected;
    };
    const Case cases[] = {
        {1, 0, {30, 40, 45, 18}},
        {2, 900, {30, 40, 18, 45}},
        {3, 1800, {30, 40, 45, 18}},
        {4, 2700, {30, 40, 18, 45}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EditorDocument d(fakes.services());
        d.select(d.addText(30, 40, "12345"));
        tpl::ElementFont font = d.font();
        font.angle = c.angle;
        d.setFont(font);
        EXPECT_EQ(d.box(), c.expected);
        // The caller's width and height are not taken; the position is.
        d.setBox({.x = 31, .width = 400, .height = 400});
        EXPECT_EQ(d.box(), (ElementBox{31, 40, c.expected.width, c.expected.height}));
        // A new content is measured anew.
        d.setContent("1234567890");
        const bool turned = c.angle == 900 || c.angle == 2700;
        EXPECT_EQ(d.box().width, turned ? 18 : 90);
        EXPECT_EQ(d.box().height, turned ? 90 : 18);
    }
}

TEST_F(DocumentTest, SetContentRebuildsTheElementsPictureTurnedByItsRotation) {
    for (std::int32_t rotation : {0, 900, 1800, 2700}) {
        SCOPED_TRACE(rotation);
        EditorDocument d(fakes.services());
        d.select(d.addBarcode(0, 0, 200, 100, "1"));
        d.setRotation(rotation);
        d.setContent("ABC123");
        EXPECT_EQ(fakes.pictures.barcodes.back(), "ABC123");
        EXPECT_EQ(d.content(), "ABC123");
        const auto& image = d.selected().image;
        EXPECT_EQ(image.source, tpl::SharedBytes(test::makeBmp(7, 2)));
        EXPECT_EQ(image.shown,
                  tpl::SharedBytes(engine::turnPicture(image.source.span(), rotation)));
        if (rotation != 0)
            EXPECT_NE(image.shown, image.source);
        else
            EXPECT_TRUE(image.shown.sharesStorageWith(image.source));
    }
}

TEST_F(DocumentTest, QrPicturesAreAskedForAtTheElementsSize) {
    struct Case {
        int row;
        std::int32_t qrSize;
        std::int32_t asked;
    };
    const Case cases[] = {{1, 0, 256}, {2, -3, 256}, {3, 1, 1}, {4, 300, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EditorDocument d(fakes.services());
        d.select(d.addQrCode(0, 0, 100, 100, "x", 256));
        d.setQrSize(c.qrSize);
        EXPECT_EQ(fakes.pictures.qrCodes.back(), (test::FakePictureMaker::QrCall{"x", c.asked}));
        EXPECT_EQ(d.qrSize(), c.qrSize);
        d.setContent("hello");
        EXPECT_EQ(fakes.pictures.qrCodes.back(),
                  (test::FakePictureMaker::QrCall{"hello", c.asked}));
    }
}

TEST_F(DocumentTest, PicturesFailuresAndOtherKinds) {
    // A picture element takes the file its content names; a name of no file keeps the picture.
    fakes.pictures.files["/labels/logo.bmp"] = test::makeBmp(4, 3);
    const tpl::SharedBytes first(test::makeBmp(2, 2));
    doc.select(doc.addPicture(0, 0, 100, 100, first));
    doc.setContent("/labels/logo.bmp");
    EXPECT_EQ(doc.selected().image.source, tpl::SharedBytes(test::makeBmp(4, 3)));
    doc.setContent("/labels/missing.bmp");
    EXPECT_EQ(doc.content(), "/labels/missing.bmp");
    EXPECT_EQ(doc.selected().image.source, tpl::SharedBytes(test::makeBmp(4, 3)));

    // A symbol that cannot be made leaves empty pictures; the element stays.
    fakes.pictures.fail = true;
    const std::int32_t barcode = doc.addBarcode(0, 0, 200, 100, "x");
    doc.select(barcode);
    EXPECT_TRUE(doc.selected().image.source.empty());
    EXPECT_TRUE(doc.selected().image.shown.empty());
    EXPECT_EQ(doc.elementCount(), 3);

    // Other kinds only change their content.
    const auto asked = fakes.pictures.barcodes.size();
    doc.select(doc.addRect(0, 0, 10, 10, false));
    doc.setContent("text");
    EXPECT_EQ(doc.content(), "text");
    EXPECT_EQ(fakes.pictures.barcodes.size(), asked);
    EXPECT_TRUE(doc.selected().image.source.empty());
}

TEST_F(DocumentTest, SetPictureAndRotationRebuildWhatIsShown) {
    doc.select(doc.addPicture(0, 0, 100, 100, tpl::SharedBytes(test::makeBmp(3, 2))));
    doc.setRotation(900);
    const auto& image = doc.selected().image;
    EXPECT_EQ(image.rotation, 900);
    EXPECT_EQ(image.shown, tpl::SharedBytes(engine::turnPicture(image.source.span(), 900)));
    doc.setPicture(tpl::SharedBytes(test::makeBmp(5, 1)));
    EXPECT_EQ(doc.selected().image.source, tpl::SharedBytes(test::makeBmp(5, 1)));
    EXPECT_EQ(doc.selected().image.shown,
              tpl::SharedBytes(engine::turnPicture(test::makeBmp(5, 1), 900)));
    doc.setRotation(0);
    EXPECT_EQ(doc.selected().image.shown, doc.selected().image.source);
}

TEST_F(DocumentTest, HitTestFindsTheTopmostLiveElementEdgesIncluded) {
    doc.addRect(100, 100, 100, 100, false); // 2
    doc.addRect(150, 150, 100, 100, false); // 3, over 2
    doc.addRect(400, 400, 10, 10, false);   // 4, deleted below
    doc.addRect(0, 0, 50, 50, false);       // 5
    doc.select(4);
    doc.deleteSelected();
    struct Case {
        int row;
        const char* why;
        double x, y;
        std::int32_t expected;
    };
    const Case cases[] = {
        {1, "inside the lower one only", 120, 120, 2},
        {2, "where both overlap, the later one", 175, 175, 3},
        {3, "the top-left edge", 100, 100, 2},
        {4, "the bottom-right edge", 250, 250, 3},
        {5, "just outside", 250.001, 250, 1},
        {6, "within the edge tolerance", 250.00000001, 250, 3},
        {7, "a deleted element is not hit", 405, 405, 1},
        {8, "the placeholder's zero box is never hit", 0, 0, 5},
        {9, "empty paper", 300, 50, 1},
        {10, "left of the page", -1, -1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        EXPECT_EQ(doc.hitTest(c.x, c.y), c.expected);
    }
    EditorDocument empty(fakes.services());
    EXPECT_EQ(empty.hitTest(0, 0), kPlaceholderIndex);
}

TEST_F(DocumentTest, TheResizeHandleIsSixScreenPixelsAtEveryZoom) {
    doc.select(doc.addRect(100, 100, 100, 50, false)); // bottom-right corner (200, 150)
    struct Case {
        int row;
        double zoom;
        double x, y; // document units
        bool expected;
    };
    const Case cases[] = {
        {1, 1.0, 200, 150, true},    {2, 1.0, 206, 156, true},    {3, 1.0, 206.1, 150, false},
        {4, 1.0, 199.9, 150, false}, {5, 2.0, 203, 153, true},    {6, 2.0, 203.1, 150, false},
        {7, 0.5, 212, 162, true},    {8, 0.5, 212.1, 150, false}, {9, 0.1, 259, 209, true},
        {10, 1.0, 150, 120, false}, // inside the box
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(doc.hitResizeHandle(c.x, c.y, c.zoom), c.expected);
    }
    doc.selectNothing();
    EXPECT_FALSE(doc.hitResizeHandle(200, 150, 1.0));
}

TEST_F(DocumentTest, EveryToolCreatesItsElementWithTheToolsSizeAndDefaults) {
    struct Case {
        Tool tool;
        ElementKind kind;
        ElementBox box; // pointer at (200, 300)
        std::int32_t cornerSize;
        std::string content;
        std::int32_t qrSize;
    };
    const Case cases[] = {
        {ElementKind::RectOutline, ElementKind::RectOutline, {200, 300, 100, 100}, 0, "", 0},
        {ElementKind::RectFilled, ElementKind::RectFilled, {200, 300, 100, 100}, 0, "", 0},
        {ElementKind::RoundedRect, ElementKind::RoundedRect, {200, 300, 100, 100}, 30, "", 0},
        {ElementKind::EllipseOutline, ElementKind::EllipseOutline, {200, 300, 100, 100}, 0, "", 0},
        {ElementKind::EllipseFilled, ElementKind::EllipseFilled, {200, 300, 100, 100}, 0, "", 0},
        // The line runs through the pointer: the printer draws it 5 into its box.
        {ElementKind::HorizontalLine, ElementKind::HorizontalLine, {200, 295, 100, 10}, 0, "", 0},
        {ElementKind::VerticalLine, ElementKind::VerticalLine, {195, 300, 10, 100}, 0, "", 0},
        {ElementKind::DiagonalDown, ElementKind::DiagonalDown, {200, 300, 100, 100}, 0, "", 0},
        {ElementKind::DiagonalUp, ElementKind::DiagonalUp, {200, 300, 100, 100}, 0, "", 0},
        {ElementKind::BarcodeImage,
         ElementKind::BarcodeImage,
         {200, 300, 200, 100},
         0,
         "1234567890",
         0},
        {ElementKind::QrCodeImage,
         ElementKind::QrCodeImage,
         {200, 300, 100, 100},
         0,
         "1234567890",
         256},
        {ElementKind::Picture, ElementKind::Picture, {200, 300, 100, 100}, 0, "", 0},
        {ElementKind::Text, ElementKind::Text, {200, 300, 90, 18}, 0, "1234567890", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tool.button());
        EditorDocument d(fakes.services());
        d.addRect(0, 0, 1, 1, false);
        const std::int32_t index =
            d.createWithTool(c.tool, 200, 300, tpl::SharedBytes(test::makeBmp(1, 1)));
        EXPECT_EQ(index, 3); // appended on top
        EXPECT_EQ(d.selectedIndex(), 3);
        const auto& e = d.selected();
        EXPECT_EQ(e.kind, code(c.kind));
        EXPECT_EQ(e.box, c.box);
        EXPECT_EQ(e.cornerSize, c.cornerSize);
        EXPECT_EQ(e.content, c.content);
        EXPECT_EQ(e.image.qrSize, c.qrSize);
        EXPECT_EQ(e.penColor, 0);
        EXPECT_EQ(e.penWidth, 0);
        EXPECT_EQ(e.fillColor, 0);
        EXPECT_EQ(e.font, tpl::ElementFont{});
        const bool hasPicture = c.kind == ElementKind::BarcodeImage ||
                                c.kind == ElementKind::QrCodeImage ||
                                c.kind == ElementKind::Picture;
        EXPECT_EQ(e.image.shown.empty(), !hasPicture);
    }
    EXPECT_EQ(fakes.pictures.qrCodes.back(), (test::FakePictureMaker::QrCall{"1234567890", 256}));

    EditorDocument d(fakes.services());
    EXPECT_EQ(d.createWithTool(Tool::Select, 10, 10), kPlaceholderIndex);
    EXPECT_EQ(d.elementCount(), 1);
}

TEST_F(DocumentTest, RaiseAndLowerSwapWithTheNeighbourUntilTheEnds) {
    struct Case {
        int row;
        std::int32_t selected;
        bool raise;
        bool moved;
        std::int32_t selectedAfter;
        std::vector<std::int32_t> order; // pen widths, bottom to top
    };
    const Case cases[] = {
        {1, 3, true, true, 4, {2, 4, 3}},   {2, 2, true, true, 3, {3, 2, 4}},
        {3, 4, true, false, 4, {2, 3, 4}}, // already on top
        {4, 3, false, true, 2, {3, 2, 4}},  {5, 4, false, true, 3, {2, 4, 3}},
        {6, 2, false, false, 2, {2, 3, 4}}, // the first real element stays
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EditorDocument d(fakes.services());
        for (std::int32_t i = 2; i <= 4; ++i) {
            d.select(d.addRect(0, 0, 10, 10, false));
            d.setPenWidth(i);
        }
        d.select(c.selected);
        EXPECT_EQ(c.raise ? d.raiseSelected() : d.lowerSelected(), c.moved);
        EXPECT_EQ(d.selectedIndex(), c.selectedAfter);
        std::vector<std::int32_t> order;
        for (std::int32_t i = 2; i <= d.elementCount(); ++i)
            order.push_back(d.element(i).penWidth);
        EXPECT_EQ(order, c.order);
    }
}

TEST_F(DocumentTest, CenteringTruncatesTowardZero) {
    struct Case {
        int row;
        std::int32_t paperWidth, paperHeight, width, height;
        std::int32_t x, y;
    };
    const Case cases[] = {
        {1, 500, 500, 100, 100, 200, 200},
        {2, 500, 500, 101, 99, 199, 200},    // 199.5 and 200.5
        {3, 333, 301, 10, 10, 161, 145},     // 161.5 and 145.5
        {4, 100, 100, 301, 303, -100, -101}, // -100.5 and -101.5: toward zero
        {5, 1, 1, 1, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EditorDocument d(fakes.services());
        d.setPage({.paperWidth = c.paperWidth, .paperHeight = c.paperHeight});
        d.select(d.addRect(7, 9, c.width, c.height, false));
        d.centerHorizontally();
        EXPECT_EQ(d.box(), (ElementBox{c.x, 9, c.width, c.height}));
        d.centerVertically();
        EXPECT_EQ(d.box(), (ElementBox{c.x, c.y, c.width, c.height}));
    }
}

TEST_F(DocumentTest, DuplicateAppendsAnExactCopyOnTopAndSelectsIt) {
    doc.select(doc.addPicture(10, 20, 30, 40, tpl::SharedBytes(test::makeBmp(2, 2))));
    doc.setRotation(900);
    doc.setMark("{LOGO}");
    doc.addRect(0, 0, 5, 5, false);
    doc.select(2);
    EXPECT_EQ(doc.duplicateSelected(), 4);
    EXPECT_EQ(doc.selectedIndex(), 4);
    EXPECT_EQ(doc.element(4), doc.element(2));
    EXPECT_TRUE(doc.element(4).image.source.sharesStorageWith(doc.element(2).image.source));
    // The copy is its own element.
    doc.setBox({.x = 99});
    doc.setMark("other");
    EXPECT_EQ(doc.element(2).box.x, 10);
    EXPECT_EQ(doc.element(2).mark, "{LOGO}");
}

TEST_F(DocumentTest, DeletedElementsKeepTheirIndexButAreNotDrawn) {
    doc.addRect(0, 0, 10, 10, false);
    doc.addRect(20, 20, 10, 10, false);
    doc.addRect(40, 40, 10, 10, false);
    doc.select(3);
    doc.deleteSelected();
    EXPECT_EQ(doc.selectedIndex(), kPlaceholderIndex);
    EXPECT_EQ(doc.elementCount(), 4);
    EXPECT_TRUE(doc.element(3).deleted);
    EXPECT_EQ(doc.element(4).box.x, 40);
    const tpl::Template drawn = doc.drawnTemplate();
    ASSERT_EQ(drawn.elements.size(), 2u);
    EXPECT_EQ(drawn.elements[0].box.x, 0);
    EXPECT_EQ(drawn.elements[1].box.x, 40);
    EXPECT_EQ(drawn.page, doc.page());
}

TEST_F(DocumentTest, ArrowKeysMoveTheSelectedElementByOneWithinTheRanges) {
    struct Case {
        int row;
        std::int32_t x, y;
        Direction direction;
        std::int32_t xAfter, yAfter;
    };
    const Case cases[] = {
        {1, 10, 10, Direction::Up, 10, 9},
        {2, 10, 10, Direction::Down, 10, 11},
        {3, 10, 10, Direction::Left, 9, 10},
        {4, 10, 10, Direction::Right, 11, 10},
        {5, 0, 0, Direction::Left, 0, 0},
        {6, 0, 0, Direction::Up, 0, 0},
        {7, 4999, 4999, Direction::Right, 4999, 4999},
        // Boxes from files can hold any value; moving them must not overflow.
        {8, INT32_MIN, INT32_MAX, Direction::Left, INT32_MIN, INT32_MAX},
        {9, INT32_MIN, INT32_MAX, Direction::Down, INT32_MIN, INT32_MAX},
        {10, 5000, -1, Direction::Left, 4999, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EditorDocument d(fakes.services());
        d.select(d.addRect(c.x, c.y, 10, 10, false));
        d.moveSelected(c.direction);
        EXPECT_EQ(d.box().x, c.xAfter);
        EXPECT_EQ(d.box().y, c.yAfter);
    }
}

TEST_F(DocumentTest, ElementsPickedTogetherMoveTogether) {
    doc.addRect(0, 0, 10, 10, false);     // 2
    doc.addRect(100, 100, 10, 10, false); // 3
    doc.addRect(200, 200, 10, 10, false); // 4
    doc.addToMultiSelection(5, 5);
    doc.addToMultiSelection(105, 105);
    doc.addToMultiSelection(105, 105); // already picked
    doc.addToMultiSelection(400, 400); // nothing there
    EXPECT_EQ(doc.multiSelection(), (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(doc.multiSelectionCount(), 2);

    doc.moveMultiSelection(Direction::Right);
    doc.moveMultiSelection(Direction::Down);
    EXPECT_EQ(doc.element(2).box, (ElementBox{1, 1, 10, 10}));
    EXPECT_EQ(doc.element(3).box, (ElementBox{101, 101, 10, 10}));
    EXPECT_EQ(doc.element(4).box, (ElementBox{200, 200, 10, 10}));
    EXPECT_EQ(doc.selectedIndex(), kPlaceholderIndex); // moving picks selects nothing
    doc.moveMultiSelection(Direction::Left);
    doc.moveMultiSelection(Direction::Left); // element 2 stops at 0
    EXPECT_EQ(doc.element(2).box.x, 0);
    EXPECT_EQ(doc.element(3).box.x, 99);

    doc.clearMultiSelection();
    EXPECT_EQ(doc.multiSelectionCount(), 0);
}

TEST_F(DocumentTest, PicksFollowTheirElementsThroughLayerChangesAndDeletion) {
    doc.addRect(0, 0, 10, 10, false);     // 2
    doc.addRect(100, 100, 10, 10, false); // 3
    doc.addRect(200, 200, 10, 10, false); // 4
    doc.addToMultiSelection(5, 5);
    doc.addToMultiSelection(205, 205);
    doc.select(3);
    ASSERT_TRUE(doc.raiseSelected()); // 3 and 4 change places
    EXPECT_EQ(doc.multiSelection(), (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(doc.element(3).box.x, 200);
    ASSERT_TRUE(doc.lowerSelected()); // and back
    EXPECT_EQ(doc.multiSelection(), (std::vector<std::int32_t>{2, 4}));

    doc.select(4);
    doc.deleteSelected(); // not drawn, so no longer picked
    EXPECT_EQ(doc.multiSelection(), (std::vector<std::int32_t>{2}));
    doc.moveMultiSelection(Direction::Down);
    EXPECT_EQ(doc.element(2).box.y, 1);
    EXPECT_EQ(doc.element(4).box.y, 200);
}

TEST_F(DocumentTest, SelectInRectanglePicksTheElementsWhollyInside) {
    doc.addRect(10, 10, 20, 20, false);                      // 2: inside
    doc.addRect(25, 25, 20, 20, false);                      // 3: crosses the right edge
    doc.addRect(35, 10, 5, 5, false);                        // 4: inside, deleted
    doc.addLine(10, 35, 30, 5, ElementKind::HorizontalLine); // 5: inside, edges touching
    doc.select(4);
    doc.deleteSelected();
    struct Case {
        int row;
        double x1, y1, x2, y2;
        std::vector<std::int32_t> expected;
    };
    const Case cases[] = {
        {1, 10, 10, 40, 45, {2, 5}},    {2, 40, 45, 10, 10, {2, 5}}, // dragged up and to the left
        {3, 0, 0, 100, 100, {2, 3, 5}}, {4, 11, 11, 40, 45, {}},     {5, 50, 50, 50, 50, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        doc.selectInRectangle(c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(doc.multiSelection(), c.expected);
    }
    doc.selectInRectangle(0, 0, 100, 100);
    doc.select(2);
    doc.selectNothing();
    EXPECT_EQ(doc.selectedIndex(), kPlaceholderIndex);
    EXPECT_EQ(doc.multiSelectionCount(), 0);
}

TEST_F(DocumentTest, ZoomStaysWithinItsRange) {
    struct Case {
        int row;
        float zoom;
        float expected;
        int step;
    };
    const Case cases[] = {
        {1, 1.0f, 1.0f, 10},
        {2, 0.1f, 0.1f, 1},
        {3, 2.0f, 2.0f, 20},
        {4, 1.5f, 1.5f, 15},
        {5, 0.0f, 0.1f, 1},
        {6, -3.0f, 0.1f, 1},
        {7, 40.0f, 2.0f, 20},
        {8, std::numeric_limits<float>::quiet_NaN(), 1.0f, 10},
        {9, std::numeric_limits<float>::infinity(), 2.0f, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        doc.setZoom(c.zoom);
        EXPECT_EQ(doc.zoom(), c.expected);
        EXPECT_EQ(doc.zoomStep(), c.step);
    }
}

TEST_F(DocumentTest, ClonesAreIndependentAndSharePicturesUntilReplaced) {
    doc.select(doc.addBarcode(10, 10, 200, 100, "123"));
    doc.setMark("{CODE}");
    EditorDocument copy = doc.clone();
    EXPECT_EQ(copy.templ(), doc.templ());
    EXPECT_EQ(copy.selectedIndex(), doc.selectedIndex());
    EXPECT_TRUE(copy.selected().image.source.sharesStorageWith(doc.selected().image.source));

    copy.setContent("456");
    copy.setMark("{OTHER}");
    copy.setBox({.x = 50});
    copy.setPage({.paperWidth = 900, .printerName = "CAPTURE"});
    copy.addRect(0, 0, 1, 1, false);
    copy.setZoom(2.0f);

    EXPECT_EQ(doc.content(), "123");
    EXPECT_EQ(doc.mark(), "{CODE}");
    EXPECT_EQ(doc.box().x, 10);
    EXPECT_EQ(doc.page().paperWidth, 500);
    EXPECT_EQ(doc.page().printerName, "");
    EXPECT_EQ(doc.elementCount(), 2);
    EXPECT_EQ(doc.zoom(), 1.0f);
    EXPECT_EQ(doc.selected().image.source, tpl::SharedBytes(test::makeBmp(4, 2)));
    EXPECT_FALSE(copy.selected().image.source.sharesStorageWith(doc.selected().image.source));
}

} // namespace
} // namespace tav::editor
