// Importing .lab labels into the open document: the page size, each kind of record through the
// document's add operations, the texts' descriptions, pictures that are not pictures, and files
// that are refused without touching the document.
#include "editor/core/LabImport.h"
#include "editor/core/FakeServices.h"
#include "labfile/LabElements.h"
#include "support/LabBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>

namespace tav::editor {
namespace {

using test::LabLayout;
using test::LabObjectSpec;
using test::LabTextSpec;
using tpl::ElementKind;

const std::string kSong = "\xCB\xCE\xCC\xE5"; // 宋体
const std::string kHei = "\xBA\xDA\xCC\xE5";  // 黑体

std::int32_t code(ElementKind kind) {
    return static_cast<std::int32_t>(kind);
}

class LabImportTest : public testing::Test {
protected:
    LabImportResult import(const LabLayout& layout) {
        return importLabBytes(doc, test::labBytes(layout));
    }
    test::FakeServices fakes;
    EditorDocument doc{fakes.services()};
};

// The edge cases of an import, one row each: the label, then what the document holds after.
struct EdgeCase {
    const char* name;
    LabLayout layout;
    std::int32_t pageWidth, pageHeight;
    std::vector<tpl::TemplateElement> expected; // kind, box, content, mark, font, qrSize
};

tpl::TemplateElement expectElement(ElementKind kind, tpl::ElementBox box, std::string text,
                                   tpl::ElementFont font = {}, std::int32_t qrSize = 0) {
    tpl::TemplateElement e;
    e.kind = code(kind);
    e.box = box;
    e.content = text;
    e.mark = text;
    e.font = std::move(font);
    e.image.qrSize = qrSize;
    return e;
}

void PrintTo(const EdgeCase& c, std::ostream* os) {
    *os << c.name;
}

class LabImportEdgeTest : public LabImportTest, public testing::WithParamInterface<EdgeCase> {};

TEST_P(LabImportEdgeTest, AddsWhatTheLabelHolds) {
    const EdgeCase& c = GetParam();
    const LabImportResult outcome = import(c.layout);
    ASSERT_TRUE(outcome) << outcome.error();
    EXPECT_EQ(outcome.value().skippedPictures, 0);
    EXPECT_EQ(outcome.value().added, static_cast<int>(c.expected.size()));
    EXPECT_EQ(doc.page().paperWidth, c.pageWidth);
    EXPECT_EQ(doc.page().paperHeight, c.pageHeight);
    ASSERT_EQ(doc.templ().elements.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& got = doc.templ().elements[i];
        const auto& want = c.expected[i];
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.box, want.box);
        EXPECT_EQ(got.content, want.content);
        EXPECT_EQ(got.mark, want.mark);
        EXPECT_EQ(got.font, want.font);
        EXPECT_EQ(got.image.qrSize, want.image.qrSize);
        EXPECT_FALSE(got.image.shown.empty() && got.kind != code(ElementKind::Text));
    }
    // The last element added stays selected.
    EXPECT_EQ(doc.selectedIndex(), c.expected.empty() ? kPlaceholderIndex : doc.elementCount());
}

tpl::ElementFont boldSong9() {
    tpl::ElementFont f;
    f.bold = true;
    f.size = 9;
    f.faceName = kSong;
    return f;
}

LabLayout labWith(std::vector<LabObjectSpec> objects, std::vector<LabTextSpec> texts = {}) {
    LabLayout layout;
    layout.width = 800;
    layout.height = 450;
    layout.objects = std::move(objects);
    layout.texts = std::move(texts);
    return layout;
}

// "中|文": the second byte of 中 (D6 D0) is not '|', but that of 丶 (81 7C) is.
const std::string kTrailBar = "\x81\x7C";

INSTANTIATE_TEST_SUITE_P(
    Cases, LabImportEdgeTest,
    testing::Values(
        EdgeCase{"1 no records: only the page size", labWith({}), 800, 450, {}},
        EdgeCase{"2 barcode at 24,62 lands at 0,0",
                 labWith({{.type = 'B', .left = 24, .top = 62, .text = "123"}}),
                 800,
                 450,
                 {expectElement(ElementKind::BarcodeImage, {0, 0, 100, 50}, "123")}},
        EdgeCase{"3 bold 9-point song text",
                 labWith({}, {{.left = 124, .top = 162,
                               .description = test::labDescription("0", true, "9", kSong, "ABC")}}),
                 800,
                 450,
                 {expectElement(ElementKind::Text, {100, 100, 27, 18}, "ABC", boldSong9())}},
        EdgeCase{"4 QR code of size 256, then a turned text",
                 labWith({{.type = 'D', .left = 34, .top = 72, .width = 80, .height = 80,
                           .text = "QR"}},
                         {{.description = test::labDescription("900", false, "12", kHei, "T")}}),
                 800,
                 450,
                 {expectElement(ElementKind::QrCodeImage, {10, 10, 80, 80}, "QR", {}, 256),
                  expectElement(ElementKind::Text, {0, 0, 24, 12}, "T",
                                {.angle = 900, .size = 12, .faceName = kHei})}},
        EdgeCase{"5 unknown letters and short descriptions are skipped",
                 labWith({{.type = 'X', .text = "no"}},
                         {{.description = "0|a|b"}, {.description = "0|1|2|3|4|5|6|7|8"}}),
                 800,
                 450,
                 {}},
        EdgeCase{"6 a '|' inside a double-byte character does not split it",
                 labWith({}, {{.description = test::labDescription("0", false, "9", kSong,
                                                                   "A" + kTrailBar + "B")}}),
                 800,
                 450,
                 {expectElement(ElementKind::Text, {0, 0, 36, 18}, "A" + kTrailBar + "B",
                                {.size = 9, .faceName = kSong})}},
        EdgeCase{"7 a page size of zero keeps the page",
                 [] {
                     LabLayout s;
                     s.width = 0;
                     s.height = -5;
                     return s;
                 }(),
                 500,
                 500,
                 {}}),
    [](const testing::TestParamInfo<EdgeCase>& row) {
        std::string name = row.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST_F(LabImportTest, BarcodesAndQrCodesAreDrawnAnewFromTheirData) {
    ASSERT_EQ(
        import(labWith({{.type = 'B', .text = "B1"}, {.type = 'D', .text = "Q1"}})).value().added,
        2);
    EXPECT_EQ(fakes.pictures.barcodes, (std::vector<std::string>{"B1"}));
    ASSERT_EQ(fakes.pictures.qrCodes.size(), 1u);
    EXPECT_EQ(fakes.pictures.qrCodes[0].size, 256);
}

TEST_F(LabImportTest, ElementsAreAddedOnTopOfTheDocument) {
    doc.addRect(1, 2, 3, 4, false);
    import(labWith({{.type = 'B', .text = "x" }}));
    ASSERT_EQ(doc.templ().elements.size(), 2u);
    EXPECT_EQ(doc.templ().elements[0].kind, code(ElementKind::RectOutline));
}

TEST_F(LabImportTest, PicturesAreUnpackedAndThoseThatAreNotPicturesSkipped) {
    const auto bmp = test::makeBmp(4, 3);
    const auto outcome =
        import(labWith({{.type = 'P', .left = 44, .top = 72, .payload = test::zlibStream(bmp)},
                        {.type = 'P', .payload = {1, 2, 3, 4}}, // not zlib
                        {.type = 'P', .payload = test::zlibStream({'n', 'o', 't'})},
                        {.type = 'P'},                 // empty
                        {.type = 'P', .payload = [&] { // cut-off stream
                             auto z = test::zlibStream(bmp);
                             z.resize(z.size() / 2);
                             return z;
                         }()}}));
    ASSERT_TRUE(outcome) << outcome.error();
    EXPECT_EQ(outcome.value().skippedPictures, 4);
    EXPECT_EQ(outcome.value().added, 1);
    ASSERT_EQ(doc.templ().elements.size(), 1u);
    const auto& picture = doc.templ().elements[0];
    EXPECT_EQ(picture.kind, code(ElementKind::Picture));
    EXPECT_EQ(picture.box, (tpl::ElementBox{20, 10, 100, 50}));
    EXPECT_EQ(picture.image.source, tpl::SharedBytes(bmp));
}

TEST_F(LabImportTest, ARefusedFileLeavesTheDocumentAsItWas) {
    doc.setPage({.paperWidth = 321, .paperHeight = 123});
    doc.select(doc.addRect(1, 2, 3, 4, false));
    const EditorDocument before = doc;
    // A good first record, then one that claims more than the file has: nothing is added.
    LabLayout layout =
        labWith({{.type = 'B', .text = "ok"}, {.type = 'B', .text = "x", .textLength = 99}});
    const auto outcome = import(layout);
    EXPECT_EQ(outcome.code(), LabImportStatus::BadLabel);
    EXPECT_FALSE(outcome.error().empty());
    EXPECT_EQ(doc.templ(), before.templ());
    EXPECT_EQ(doc.selectedIndex(), before.selectedIndex());

    auto wrongMagic = test::labBytes(labWith({}));
    wrongMagic[4] = '2';
    EXPECT_EQ(importLabBytes(doc, wrongMagic).code(), LabImportStatus::BadLabel);
    EXPECT_EQ(doc.templ(), before.templ());
}

TEST_F(LabImportTest, FilesAreReadWhole) {
    test::TempFolder folder;
    const std::string path = folder.path() + "/a label.lab";
    const auto bytes = test::labBytes(labWith({{.type = 'B', .text = "f"}}));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(importLabFile(doc, path).ok());
    const LabImportResult missing = importLabFile(doc, folder.path() + "/missing.lab");
    EXPECT_EQ(missing.code(), LabImportStatus::CannotRead);
    EXPECT_EQ(missing.error(), "the file cannot be read");
}

} // namespace
} // namespace tav::editor
