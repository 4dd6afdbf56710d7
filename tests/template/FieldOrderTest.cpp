// The order of the fields of a .tav file, pinned by a file written out field by field with a
// different value in every field. A write-then-read round trip cannot see two fields of the same
// type swapped in both the reader and the writer; these bytes can.
#include "template/TemplateReader.h"
#include "template/TemplateWriter.h"

#include "support/TavBytes.h"

#include <gtest/gtest.h>

namespace tav::tpl {
namespace {

using test::TavBytes;

SharedBytes bytesOf(const std::string& text) {
    return SharedBytes(std::vector<std::uint8_t>(text.begin(), text.end()));
}

// Record `n` (from 0): every number differs from every other number of the file, and only the
// n-th of the four style flags (bold, italic, strikeout, underline) is set.
TemplateElement distinctElement(int n) {
    const std::int32_t base = 1000 * (n + 1);
    TemplateElement e;
    e.kind = n + 10; // barcode, QR code, picture, text
    e.box = {base + 1, base + 2, base + 3, base + 4};
    e.cornerSize = base + 5;
    e.textColor = base + 6;
    e.penColor = base + 7;
    e.penWidth = base + 8;
    e.fillColor = base + 9;
    e.font.angle = base + 10;
    e.font.bold = n == 0;
    e.font.italic = n == 1;
    e.font.strikeout = n == 2;
    e.font.underline = n == 3;
    e.font.size = base + 11;
    e.font.faceName = "face " + std::to_string(n);
    e.image.source = bytesOf("source picture " + std::to_string(n));
    e.image.shown = bytesOf("shown picture " + std::to_string(n));
    e.image.rotation = base + 12;
    e.image.qrSize = base + 13;
    e.content = "content " + std::to_string(n);
    e.mark = "mark " + std::to_string(n);
    return e;
}

Template distinctTemplate() {
    Template tpl;
    tpl.page = {9001, 9002, 1, 9003, 9004, 1.25f, "printer"};
    for (int n = 0; n < 4; ++n)
        tpl.elements.push_back(distinctElement(n));
    return tpl;
}

// The same document, written out field by field in file order.
std::vector<std::uint8_t> distinctFile() {
    TavBytes file;
    file.magic("TAV 3.1...").int32(4);
    file.int32(9001).int32(9002).int32(1).int32(9003).int32(9004).float32(1.25f);
    file.packed("printer");
    for (int n = 0; n < 4; ++n) {
        const std::int32_t base = 1000 * (n + 1);
        const std::string i = std::to_string(n);
        file.int32(n + 10);
        for (std::int32_t field = 1; field <= 10; ++field) // box, corner, colors, pen, angle
            file.int32(base + field);
        for (int flag = 0; flag < 4; ++flag) // bold, italic, strikeout, underline
            file.int32(flag == n ? 1 : 0);
        file.int32(base + 11).packed("face " + i);
        file.packed("source picture " + i).packed("shown picture " + i);
        file.int32(base + 12).int32(base + 13);
        file.packed("content " + i).packed("mark " + i);
    }
    return file.bytes();
}

TEST(FieldOrder, EveryFieldIsReadFromItsPlace) {
    for (ReaderVariant variant : {ReaderVariant::Engine, ReaderVariant::Editor}) {
        SCOPED_TRACE(variant == ReaderVariant::Engine ? "engine" : "editor");
        Template tpl;
        ASSERT_EQ(readTemplateBytes(distinctFile(), variant, tpl).code(), ReadStatus::Loaded);
        const Template expected = distinctTemplate();
        EXPECT_EQ(tpl.page, expected.page);
        ASSERT_EQ(tpl.elements.size(), expected.elements.size());
        for (std::size_t n = 0; n < expected.elements.size(); ++n) {
            SCOPED_TRACE("record " + std::to_string(n));
            const TemplateElement& got = tpl.elements[n];
            const TemplateElement& want = expected.elements[n];
            EXPECT_EQ(got.kind, want.kind);
            EXPECT_EQ(got.box, want.box);
            EXPECT_EQ(got.cornerSize, want.cornerSize);
            EXPECT_EQ(got.textColor, want.textColor);
            EXPECT_EQ(got.penColor, want.penColor);
            EXPECT_EQ(got.penWidth, want.penWidth);
            EXPECT_EQ(got.fillColor, want.fillColor);
            EXPECT_EQ(got.font, want.font);
            EXPECT_EQ(got.image, want.image);
            EXPECT_EQ(got.content, want.content);
            EXPECT_EQ(got.mark, want.mark);
            EXPECT_EQ(got, want);
        }
    }
}

TEST(FieldOrder, EveryFieldIsWrittenToItsPlace) {
    EXPECT_EQ(serializeTemplate(distinctTemplate()), distinctFile());
}

} // namespace
} // namespace tav::tpl
