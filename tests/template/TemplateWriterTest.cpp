#include "template/TemplateWriter.h"

#include "support/TempFolder.h"
#include "template/PackedField.h"
#include "template/TemplateReader.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tav::tpl {
namespace {

// The designer's new, empty document.
Template newDocument() {
    Template tpl;
    tpl.page = {500, 500, 0, 0xFFFFFF, 0, 1.0f, ""};
    return tpl;
}

TEST(TemplateWriter, EmptyDocumentIsTheFiftyFourByteFile) {
    const std::vector<std::uint8_t> expected = {
        'T',  'A',  'V',  ' ',  '3',  '.',  '1',  '.',  '.',  '.', //
        0x00, 0x00, 0x00, 0x00, 0xF4, 0x01, 0x00, 0x00, 0xF4, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00,
        0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(serializeTemplate(newDocument()), expected);
}

TEST(TemplateWriter, RecordWithEmptyValuesIsAHundredFiftyTwoBytes) {
    Template tpl = newDocument();
    TemplateElement e;
    e.font.faceName.clear();
    tpl.elements.push_back(e);
    EXPECT_EQ(serializeTemplate(tpl).size(), 54u + 152u);
}

TEST(TemplateWriter, LeavesOutDeletedElementsAndThoseBeyondTheWrittenArea) {
    struct Case {
        int row;
        std::int32_t x, y;
        bool deleted;
        bool written;
    };
    const Case cases[] = {
        {1, 0, 0, false, true},     {2, 4999, 4999, false, true}, {3, 5000, 0, false, false},
        {4, 0, 5000, false, false}, {5, -1, 0, false, false},     {6, 0, -1, false, false},
        {7, 10, 10, true, false},
    };
    Template tpl = newDocument();
    std::vector<int> expectedRows;
    for (const auto& c : cases) {
        TemplateElement e;
        e.kind = c.row; // identifies the element after reading
        e.box = {c.x, c.y, 1, 1};
        e.deleted = c.deleted;
        tpl.elements.push_back(e);
        if (c.written)
            expectedRows.push_back(c.row);
    }
    Template back;
    ASSERT_EQ(readTemplateBytes(serializeTemplate(tpl), ReaderVariant::Editor, back).code(),
              ReadStatus::Loaded);
    std::vector<int> rows;
    for (const auto& e : back.elements)
        rows.push_back(e.kind);
    EXPECT_EQ(rows, expectedRows);
}

Template fullTemplate() {
    Template tpl = newDocument();
    tpl.page = {1000, 600, 1, 0x00EEDDCC, 96, 1.5f, "Zebra ZD420"};
    TemplateElement text;
    text.kind = static_cast<std::int32_t>(ElementKind::Text);
    text.box = {10, 20, 300, 50};
    text.textColor = 0x0000FF;
    text.font = {900, true, false, true, false, 14, "\xBA\xDA\xCC\xE5"}; // 黑体
    text.content = "\xB5\xA5\xBC\xDB:12.50";
    text.mark = "{PRICE}";
    tpl.elements.push_back(text);
    TemplateElement picture;
    picture.kind = static_cast<std::int32_t>(ElementKind::Picture);
    picture.box = {100, 100, 200, 200};
    std::vector<std::uint8_t> bytes(70000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 % 251);
    picture.image.source = SharedBytes(bytes);
    picture.image.shown = SharedBytes(std::vector<std::uint8_t>(bytes.rbegin(), bytes.rend()));
    picture.image.rotation = 1800;
    picture.image.qrSize = -4;
    tpl.elements.push_back(picture);
    return tpl;
}

TEST(TemplateWriter, WhatIsWrittenReadsBackEqual) {
    const Template tpl = fullTemplate();
    for (auto variant : {ReaderVariant::Engine, ReaderVariant::Editor}) {
        Template back;
        ASSERT_EQ(readTemplateBytes(serializeTemplate(tpl), variant, back).code(),
                  ReadStatus::Loaded);
        EXPECT_EQ(back, tpl);
    }
}

TEST(TemplateWriter, EditorReadThenWriteReproducesTheBytes) {
    const auto bytes = serializeTemplate(fullTemplate());
    Template back;
    ASSERT_EQ(readTemplateBytes(bytes, ReaderVariant::Editor, back).code(), ReadStatus::Loaded);
    EXPECT_EQ(serializeTemplate(back), bytes);
}

TEST(TemplateWriter, SavesThroughATemporaryFileAndReplacesTheTarget) {
    test::TempFolder folder;
    const auto path = folder.file("label.tav");
    for (const Template& tpl : {newDocument(), fullTemplate()}) {
        const Status saved = writeTemplateFile(path, tpl);
        ASSERT_TRUE(saved.ok()) << saved.error();
    }
    EXPECT_EQ(test::readFileBytes(path), serializeTemplate(fullTemplate()));
    // Nothing is left behind beside the target.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

// A picture above what a packed field holds used to be saved as an empty field, reported as
// saved. The save now fails, names the element, and keeps the previous file.
TEST(TemplateWriter, APictureTooLargeToStoreFailsTheSave) {
    test::TempFolder folder;
    const auto path = folder.file("label.tav");
    const Status first = writeTemplateFile(path, newDocument());
    ASSERT_TRUE(first.ok()) << first.error();
    const auto before = test::readFileBytes(path);

    Template tpl = newDocument();
    tpl.elements.emplace_back(); // a text element before the picture
    TemplateElement picture;
    picture.kind = 12;
    picture.image.source =
        SharedBytes(std::vector<std::uint8_t>(static_cast<std::size_t>(kMaxUnpackedBytes) + 1));
    picture.image.shown = picture.image.source;
    tpl.elements.push_back(picture);

    std::string problem;
    serializeTemplate(tpl, &problem);
    EXPECT_NE(problem.find("element 2: its source picture (268435457 bytes) is larger than"),
              std::string::npos)
        << problem;
    const Status refused = writeTemplateFile(path, tpl);
    EXPECT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("element 2"), std::string::npos) << refused.error();
    EXPECT_EQ(test::readFileBytes(path), before);

    // Within the limit nothing is reported.
    serializeTemplate(fullTemplate(), &problem);
    EXPECT_EQ(problem, "");
}

TEST(TemplateWriter, FailedSaveReportsWhyAndCreatesNothing) {
    test::TempFolder folder;
    const Status missing =
        writeTemplateFile(folder.file("no-such-folder/label.tav"), newDocument());
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error().find("no-such-folder"), std::string::npos) << missing.error();
    const Status unnamed = writeTemplateFile("", newDocument());
    EXPECT_FALSE(unnamed.ok());
    EXPECT_FALSE(unnamed.error().empty());
}

} // namespace
} // namespace tav::tpl
