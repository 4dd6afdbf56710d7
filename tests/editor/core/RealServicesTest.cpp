// The document on the real picture makers and the real text measurement: the designer's
// pictures are the engine's, byte for byte, and texts are measured with the renderer's font.
#include "editor/core/EditorDocument.h"
#include "printengine/Marks.h"
#include "printengine/PageRenderer.h"
#include "printengine/PictureTurn.h"
#include "support/RecordingCanvas.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace tav::editor {
namespace {

using tpl::ElementKind;

TEST(RealServices, BarcodesAndQrCodesAreTheEnginesPictures) {
    EditorDocument doc;
    doc.select(doc.createWithTool(ElementKind::BarcodeImage, 0, 0));
    doc.setRotation(2700);
    const auto barcode = engine::libraryPictureMaker().barcode("1234567890");
    ASSERT_FALSE(barcode.empty());
    EXPECT_EQ(doc.selected().image.source, barcode);
    EXPECT_EQ(doc.selected().image.shown,
              tpl::SharedBytes(engine::turnPicture(barcode.span(), 2700)));

    doc.select(doc.createWithTool(ElementKind::QrCodeImage, 0, 0));
    doc.setQrSize(0); // 256 pixels
    const auto qr = engine::libraryPictureMaker().qrCode("1234567890", 256);
    ASSERT_FALSE(qr.empty());
    EXPECT_EQ(doc.selected().image.source, qr);
}

// What the designer shows is what the engine builds when a mark fills the same element: the
// same source and the same turned picture, for every kind of picture and every rotation.
TEST(RealServices, ShownPicturesEqualTheEnginesAtEveryRotation) {
    const auto pictureFile = engine::libraryPictureMaker().qrCode("PICTURE", 90);
    ASSERT_FALSE(pictureFile.empty());
    const test::TempFolder folder;
    const std::string path =
        folder.write("picture.bmp", {pictureFile.span().begin(), pictureFile.span().end()});

    struct Row {
        Tool tool;
        std::string content;
    };
    const Row rows[] = {{ElementKind::BarcodeImage, "TAV-0042"},
                        {ElementKind::QrCodeImage, "https://example.com/q"},
                        {ElementKind::Picture, path}};
    for (const Row& row : rows) {
        for (const std::int32_t rotation : {0, 900, 1800, 2700}) {
            SCOPED_TRACE(std::to_string(row.tool.button()) + " at " + std::to_string(rotation));
            EditorDocument doc;
            doc.select(doc.createWithTool(row.tool, 10, 10, pictureFile));
            doc.setQrSize(120);
            doc.setRotation(rotation);
            doc.setContent(row.content);
            const tpl::TemplateElement& shown = doc.selected();
            ASSERT_FALSE(shown.image.shown.empty());

            tpl::Template engineSide;
            tpl::TemplateElement marked = shown;
            marked.image = {};
            marked.image.rotation = rotation;
            marked.image.qrSize = 120;
            marked.mark = "M";
            engineSide.elements.push_back(marked);
            ASSERT_EQ(engine::fillMark(engineSide, "M", row.content, engine::libraryPictureMaker()),
                      engine::MarkOutcome::Set);
            EXPECT_EQ(shown.image.source, engineSide.elements[0].image.source);
            EXPECT_EQ(shown.image.shown, engineSide.elements[0].image.shown);
        }
    }
}

TEST(RealServices, TextsAreMeasuredInTheFontTheRendererSelects) {
    test::RecordingCanvas canvas;
    tpl::ElementFont font;
    font.size = 12;
    // The screen's resolution is the one the measurer was given, whatever the environment says.
    for (int screenDpi : {96, 120}) {
        CanvasTextMeasurer measurer(canvas, screenDpi, 300);
        EXPECT_EQ(
            measurer.measure(font, 0, "abcd"),
            test::RecordingCanvas::fixedExtent(4, engine::printedTextHeight(12, 0, screenDpi, 300)))
            << screenDpi;
    }
    EXPECT_NE(engine::printedTextHeight(12, 0, 96, 300),
              engine::printedTextHeight(12, 0, 120, 300));

    // The cairo measurer of the canvas gives a text a box, turned with the text.
    EditorDocument doc;
    doc.select(doc.addText(10, 10, "1234567890"));
    const tpl::ElementBox flat = doc.box();
    EXPECT_GT(flat.width, flat.height);
    EXPECT_GT(flat.height, 0);
    font = doc.font();
    font.angle = 900;
    doc.setFont(font);
    EXPECT_EQ(doc.box(), (tpl::ElementBox{10, 10, flat.height, flat.width}));
}

} // namespace
} // namespace tav::editor
