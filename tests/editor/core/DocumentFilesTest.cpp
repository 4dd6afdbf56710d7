// Opening and saving the designer's documents: the three versions it opens, what it writes,
// the zoom kept in the file, and what failures leave behind.
#include "editor/core/EditorDocument.h"
#include "editor/core/FakeServices.h"
#include "platform/ScratchFile.h"
#include "support/TavBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

namespace tav::editor {
namespace {

using tpl::ElementKind;

std::int32_t code(ElementKind kind) {
    return static_cast<std::int32_t>(kind);
}

class DocumentFilesTest : public testing::Test {
protected:
    EditorDocument newDocument() { return EditorDocument(fakes.services()); }

    // One element of every sort of content: colors, a turned text, pictures, marks.
    EditorDocument richDocument() {
        EditorDocument doc = newDocument();
        doc.setPage({.paperWidth = 1000,
                     .paperHeight = 600,
                     .orientation = 1,
                     .paperColor = 0xEEDDCC,
                     .printScale = 96,
                     .printerName = "CAPTURE"});
        doc.setZoom(1.5f);
        doc.select(doc.createWithTool(ElementKind::RoundedRect, 10, 20));
        doc.setPenColor(0x0000FF);
        doc.setPenWidth(3);
        doc.setFillColor(0x00FF00);
        doc.select(doc.createWithTool(ElementKind::Text, 100, 100));
        tpl::ElementFont font = doc.font();
        font.angle = 900;
        font.bold = font.italic = font.underline = font.strikeout = true;
        font.size = 14;
        doc.setFont(font);
        doc.setContent("\xC3\xFB\xB3\xC6"); // 名称 in GBK
        doc.setMark("{NAME}");
        doc.setTextColor(0x112233);
        doc.select(doc.createWithTool(ElementKind::BarcodeImage, 200, 200));
        doc.setRotation(900);
        doc.setMark("{CODE}");
        doc.select(doc.createWithTool(ElementKind::QrCodeImage, 300, 300));
        doc.setQrSize(300);
        doc.select(doc.createWithTool(ElementKind::Picture, 400, 400,
                                      tpl::SharedBytes(test::makeBmp(3, 3))));
        doc.setRotation(1800);
        doc.select(doc.createWithTool(ElementKind::HorizontalLine, 50, 500));
        return doc;
    }

    test::FakeServices fakes;
    test::TempFolder folder;
};

TEST_F(DocumentFilesTest, WhatIsSavedOpensAsItWas) {
    const EditorDocument saved = richDocument();
    const Status written = saved.save(folder.file("label.tav"));
    ASSERT_TRUE(written) << written.error();

    EditorDocument opened = newDocument();
    opened.select(1);
    ASSERT_EQ(opened.load(folder.file("label.tav")), LoadStatus::Loaded);
    EXPECT_EQ(opened.templ(), saved.templ());
    EXPECT_EQ(opened.zoom(), 1.5f); // the zoom comes back from the file
    EXPECT_EQ(opened.zoomStep(), 15);
    EXPECT_EQ(opened.selectedIndex(), kPlaceholderIndex);
    EXPECT_EQ(opened.elementCount(), saved.elementCount());
}

TEST_F(DocumentFilesTest, ANewDocumentIsSavedAsTheBareHeader) {
    // The placeholder is not an element of the file.
    const Status saved = newDocument().save(folder.file("new.tav"));
    ASSERT_TRUE(saved) << saved.error();
    const std::vector<std::uint8_t> expected = {
        'T',  'A',  'V',  ' ',  '3',  '.',  '1',  '.',  '.',  '.',  0x00, 0x00, 0x00, 0x00,
        0xF4, 0x01, 0x00, 0x00, 0xF4, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
        0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,
        0x08, 0x00, 0x00, 0x00, 0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(test::readFileBytes(folder.file("new.tav")), expected);
}

TEST_F(DocumentFilesTest, DeletedElementsAndThoseBeyondTheLimitAreNotSaved) {
    EditorDocument doc = newDocument();
    doc.addRect(1, 1, 10, 10, false);    // kept
    doc.addRect(2, 2, 10, 10, false);    // deleted
    doc.addRect(4999, 0, 10, 10, false); // kept: the last position written
    doc.addRect(5000, 0, 10, 10, false); // beyond 499.9 mm
    doc.addRect(0, -1, 10, 10, false);   // above the page
    doc.select(3);
    doc.deleteSelected();
    const Status saved = doc.save(folder.file("some.tav"));
    ASSERT_TRUE(saved) << saved.error();
    EditorDocument opened = newDocument();
    ASSERT_EQ(opened.load(folder.file("some.tav")), LoadStatus::Loaded);
    ASSERT_EQ(opened.elementCount(), 3);
    EXPECT_EQ(opened.element(2).box.x, 1);
    EXPECT_EQ(opened.element(3).box.x, 4999);
}

TEST_F(DocumentFilesTest, EveryVersionTheDesignerKnowsOpensWithItsZoom) {
    struct Case {
        int row;
        const char* why;
        test::TavBytes file;
        std::int32_t orientation;
        std::int32_t printScale;
        float zoom;
    };
    auto older = [](const char* magic, bool withScale) {
        test::TavBytes b;
        b.magic(magic).int32(2).int32(500).int32(300).int32(1).int32(0xFFFFFF);
        if (withScale)
            b.int32(72);
        b.packed("PDF");
        // Kept although it lies beyond the paper: the designer drops no record.
        b.record(code(ElementKind::RectOutline), 10, 10)
            .record(code(ElementKind::Text), 900, 20, "text", "{T}");
        return b;
    };
    auto current = [](float zoom) {
        test::TavBytes b;
        b.header(2, 500, 300, "PDF", 72, zoom);
        b.record(code(ElementKind::RectOutline), 10, 10)
            .record(code(ElementKind::Text), 900, 20, "text", "{T}");
        return b;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {1, "version 2.0: no print scale, no zoom", older("TAV 2.0...", false), 1, 0, 1.0f},
        {2, "version 3.0: no zoom", older("TAV 3.0...", true), 1, 72, 1.0f},
        {3, "version 3.1 at 150 %", current(1.5f), 0, 72, 1.5f},
        {4, "version 3.1 at 10 %", current(0.1f), 0, 72, 0.1f},
        {5, "a zoom beyond 200 % is brought back", current(35.0f), 0, 72, 2.0f},
        {6, "a zoom of 0 is brought up to 10 %", current(0.0f), 0, 72, 0.1f},
        {7, "a zoom that is not a number opens at 100 %", current(nan), 0, 72, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        const std::string path = folder.write("v.tav", c.file.bytes());
        EditorDocument doc = newDocument();
        ASSERT_EQ(doc.load(path), LoadStatus::Loaded);
        EXPECT_EQ(doc.page().paperWidth, 500);
        EXPECT_EQ(doc.page().paperHeight, 300);
        EXPECT_EQ(doc.page().orientation, c.orientation);
        EXPECT_EQ(doc.page().printerName, "PDF");
        EXPECT_EQ(doc.page().printScale, c.printScale);
        EXPECT_EQ(doc.zoom(), c.zoom);
        ASSERT_EQ(doc.elementCount(), 3);
        EXPECT_EQ(doc.element(2).kind, code(ElementKind::RectOutline));
        EXPECT_EQ(doc.element(3).box.x, 900);
        EXPECT_EQ(doc.element(3).content, "text");
        EXPECT_EQ(doc.element(3).mark, "{T}");
        EXPECT_EQ(doc.hitTest(900, 20), 3);

        // Saved again, every version becomes the current one and opens as it was.
        const Status saved = doc.save(folder.file("again.tav"));
        ASSERT_TRUE(saved) << saved.error();
        const auto bytes = test::readFileBytes(folder.file("again.tav"));
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 10), "TAV 3.1...");
        EditorDocument again = newDocument();
        ASSERT_EQ(again.load(folder.file("again.tav")), LoadStatus::Loaded);
        EXPECT_EQ(again.templ(), doc.templ());
    }
}

TEST_F(DocumentFilesTest, FilesThatCannotBeOpened) {
    EditorDocument doc = richDocument();
    EXPECT_EQ(doc.load(folder.file("missing.tav")), LoadStatus::NoFile);
    EXPECT_EQ(doc.templ(), richDocument().templ()); // nothing there: nothing changed

    struct Case {
        int row;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {1, {}},
        {2, test::TavBytes().magic("TAV 3.2...").int32(0).bytes()},
        {3, test::TavBytes().magic("lab 1.0 ..").int32(0).bytes()},
        {4, {'T', 'A', 'V', ' ', '3'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EditorDocument d = richDocument();
        EXPECT_EQ(d.load(folder.write("bad.tav", c.bytes)), LoadStatus::BadMagic);
        EXPECT_EQ(d.templ(), newDocument().templ()); // the document is new
        EXPECT_EQ(d.elementCount(), 1);
    }
}

TEST_F(DocumentFilesTest, AFailedSaveSaysWhyAndLeavesTheOldFile) {
    const EditorDocument doc = richDocument();
    const Status noFolder = doc.save(folder.file("no-such-folder/label.tav"));
    EXPECT_FALSE(noFolder);
    EXPECT_FALSE(noFolder.error().empty());

    // A folder in the way of the file: the save fails and the folder stays as it was.
    std::filesystem::create_directory(folder.file("taken.tav"));
    const Status taken = doc.save(folder.file("taken.tav"));
    EXPECT_FALSE(taken);
    EXPECT_FALSE(taken.error().empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("taken.tav")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left behind
}

TEST_F(DocumentFilesTest, ScratchCopiesAreFilesOfTheirOwn) {
    const EditorDocument doc = richDocument();
    const auto first = doc.saveToScratchFile();
    const auto second = doc.saveToScratchFile();
    ASSERT_TRUE(first) << first.error();
    ASSERT_TRUE(second) << second.error();
    EXPECT_NE(first.value(),
              second.value()); // two saves in the same millisecond do not share a file
    for (const auto& path : {first.value(), second.value()}) {
        EditorDocument opened = newDocument();
        EXPECT_EQ(opened.load(path), LoadStatus::Loaded);
        EXPECT_EQ(opened.templ(), doc.templ());
        EXPECT_TRUE(platform::removeFile(path));
    }
}

} // namespace
} // namespace tav::editor
