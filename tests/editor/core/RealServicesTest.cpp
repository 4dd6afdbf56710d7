// The document on the real picture makers and the real text measurement: the designer's
// pictures are the engine's, byte for byte, and texts are measured with the renderer's font.
#include "dotgauge.h"
#include "editor/core/EditorDocument.h"
#include "platform/recording/RecordingCanvas.h"
#include "printengine/PageRenderer.h"
#include "printengine/PictureTurn.h"

#include <gtest/gtest.h>

namespace tav::editor {
namespace {

TEST(RealServices, BarcodesAndQrCodesAreTheEnginesPictures) {
    EditorDocument doc;
    doc.select(doc.createWithTool(Tool::Barcode, 0, 0));
    doc.setRotation(2700);
    const auto barcode = engine::libraryPictureMaker().barcode("1234567890");
    ASSERT_FALSE(barcode.empty());
    EXPECT_EQ(doc.selected().image.source, barcode);
    EXPECT_EQ(doc.selected().image.shown,
              tpl::SharedBytes(engine::turnPicture(barcode.span(), 2700)));

    doc.select(doc.createWithTool(Tool::QrCode, 0, 0));
    doc.setQrSize(0); // 256 pixels
    const auto qr = engine::libraryPictureMaker().qrCode("1234567890", 256);
    ASSERT_FALSE(qr.empty());
    EXPECT_EQ(doc.selected().image.source, qr);
}

TEST(RealServices, TextsAreMeasuredInTheFontTheRendererSelects) {
    platform::RecordingCanvas canvas;
    CanvasTextMeasurer measurer(canvas, 300);
    tpl::ElementFont font;
    font.size = 12;
    const auto extent = measurer.measure(font, 0, "abcd");
    EXPECT_EQ(extent, platform::RecordingCanvas::fixedExtent(
                          4, engine::printedTextHeight(12, 0, GetDPI(), 300)));

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
