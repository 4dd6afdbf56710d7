#include "template/TemplateReader.h"
#include "template/TemplateWriter.h"

#include "support/TavBytes.h"
#include "support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>

namespace tav::tpl {
namespace {

using test::TavBytes;

struct ReadCase {
    int row;
    const char* why;
    ReaderVariant variant;
    std::vector<std::uint8_t> bytes;
    ReadStatus status;
    std::vector<std::int32_t> kinds; // the kinds of the elements read, in order
    std::function<void(const Template&)> check = nullptr;
};

constexpr auto Engine = ReaderVariant::Engine;
constexpr auto Editor = ReaderVariant::Editor;

std::vector<ReadCase> readCases() {
    std::vector<ReadCase> cases;
    cases.push_back(
        {1,
         "count 0 with a valid header: page settings, no elements",
         Engine,
         TavBytes().header(0, 800, 600, "Zebra", 96, 1.5f).bytes(),
         ReadStatus::Loaded,
         {},
         [](const Template& t) {
             EXPECT_EQ(t.page, (PageSettings{800, 600, 0, 0xFFFFFF, 96, 1.5f, "Zebra"}));
         }});
    cases.push_back({2,
                     "an element at x = paperWidth is dropped, the others keep file order",
                     Engine,
                     TavBytes()
                         .header(3, 500, 500)
                         .record(1, 0, 0)
                         .record(2, 500, 0)
                         .record(3, 499, 499)
                         .bytes(),
                     ReadStatus::Loaded,
                     {1, 3}});
    cases.push_back({3,
                     "x = -1 or y = -1 drops an element; y = paperHeight too",
                     Engine,
                     TavBytes()
                         .header(4, 500, 500)
                         .record(1, -1, 0)
                         .record(2, 0, -1)
                         .record(3, 0, 500)
                         .record(4, 0, 0)
                         .bytes(),
                     ReadStatus::Loaded,
                     {4}});
    cases.push_back({4,
                     "paper width 0 drops every element",
                     Engine,
                     TavBytes().header(2, 0, 500).record(1, 0, 0).record(2, 0, 0).bytes(),
                     ReadStatus::Loaded,
                     {}});
    cases.push_back({5,
                     "the editor keeps elements outside the paper",
                     Editor,
                     TavBytes()
                         .header(3, 0, 500)
                         .record(1, -1, 0)
                         .record(2, 9000, 9000)
                         .record(3, 0, 0)
                         .bytes(),
                     ReadStatus::Loaded,
                     {1, 2, 3}});
    cases.push_back({6,
                     "TAV 3.0 is refused by the engine",
                     Engine,
                     TavBytes().magic("TAV 3.0...").int32(0).bytes(),
                     ReadStatus::BadMagic,
                     {}});
    {
        TavBytes v30;
        v30.magic("TAV 3.0...").int32(1).int32(500).int32(400).int32(1).int32(0xFF).int32(72);
        v30.packed("P").record(13, 10, 10, "hi", "M");
        cases.push_back({7,
                         "TAV 3.0 opens in the editor with zoom 1.0",
                         Editor,
                         v30.bytes(),
                         ReadStatus::Loaded,
                         {13},
                         [](const Template& t) {
                             EXPECT_EQ(t.page, (PageSettings{500, 400, 1, 0xFF, 72, 1.0f, "P"}));
                             EXPECT_EQ(t.elements[0].content, "hi");
                             EXPECT_EQ(t.elements[0].mark, "M");
                         }});
    }
    {
        TavBytes v20;
        v20.magic("TAV 2.0...").int32(1).int32(500).int32(400).int32(0).int32(0xFF);
        v20.packed("P").record(6, 1, 2);
        cases.push_back({8,
                         "TAV 2.0 opens in the editor: no print scale, zoom 1.0",
                         Editor,
                         v20.bytes(),
                         ReadStatus::Loaded,
                         {6},
                         [](const Template& t) {
                             EXPECT_EQ(t.page, (PageSettings{500, 400, 0, 0xFF, 0, 1.0f, "P"}));
                             EXPECT_EQ(t.elements[0].box, (ElementBox{1, 2, 0, 0}));
                         }});
        cases.push_back(
            {9, "TAV 2.0 is refused by the engine", Engine, v20.bytes(), ReadStatus::BadMagic, {}});
    }
    cases.push_back({10, "an empty file has no magic", Editor, {}, ReadStatus::BadMagic, {}});
    cases.push_back({11,
                     "a magic cut short",
                     Engine,
                     TavBytes().magic("TAV 3.1..").bytes(),
                     ReadStatus::BadMagic,
                     {}});
    cases.push_back({12,
                     "the magic is case-sensitive",
                     Editor,
                     TavBytes().magic("tav 3.1...").int32(0).bytes(),
                     ReadStatus::BadMagic,
                     {}});
    cases.push_back({13,
                     "a magic with a NUL inside is not the magic",
                     Editor,
                     TavBytes().magic(std::string("TAV 3.1\0..", 10)).int32(0).bytes(),
                     ReadStatus::BadMagic,
                     {}});
    {
        auto first = TavBytes().header(2, 500, 500).record(13, 10, 20, "x");
        const std::size_t secondRecordAt = first.size();
        auto full = first.record(13, 30, 40, "y");
        cases.push_back({14,
                         "a file cut inside the second record: the rest reads as zero",
                         Engine,
                         full.truncated(full.size() - 20),
                         ReadStatus::Loaded,
                         {13, 13},
                         [](const Template& t) {
                             EXPECT_EQ(t.elements[1].box.x, 30);
                             EXPECT_EQ(t.elements[1].content, "");
                             EXPECT_EQ(t.elements[1].mark, "");
                         }});
        cases.push_back({15,
                         "a file cut right after the kind: the record sits at 0,0 and is kept",
                         Engine,
                         full.truncated(secondRecordAt + 4),
                         ReadStatus::Loaded,
                         {13, 13},
                         [](const Template& t) { EXPECT_EQ(t.elements[1].box, ElementBox{}); }});
    }
    cases.push_back({16,
                     "a huge count in a short file reads only the records present",
                     Engine,
                     TavBytes().header(2000000000, 500, 500).record(1, 0, 0).bytes(),
                     ReadStatus::Loaded,
                     {1}});
    cases.push_back({17,
                     "a negative count reads no records",
                     Editor,
                     TavBytes().header(-3, 500, 500).record(1, 0, 0).bytes(),
                     ReadStatus::Loaded,
                     {}});
    cases.push_back({18,
                     "a file that ends after the magic: everything zero",
                     Engine,
                     TavBytes().magic().bytes(),
                     ReadStatus::Loaded,
                     {},
                     [](const Template& t) { EXPECT_EQ(t.page, PageSettings{}); }});
    {
        TavBytes b;
        b.header(1, 500, 500).int32(13).int32(0).int32(0);
        for (int i = 0; i < 8; ++i)
            b.int32(0);
        b.int32(2).int32(1).int32(-1).int32(0).int32(12); // bold 2, italic 1, strikeout -1
        b.packed("Arial").packed("").packed("").int32(900).int32(0);
        b.packed(std::string("AB\0XY", 5)).packed("M");
        cases.push_back({19,
                         "bool32: only 1 is true; texts end at the first NUL",
                         Engine,
                         b.bytes(),
                         ReadStatus::Loaded,
                         {13},
                         [](const Template& t) {
                             const auto& f = t.elements[0].font;
                             EXPECT_FALSE(f.bold);
                             EXPECT_TRUE(f.italic);
                             EXPECT_FALSE(f.strikeout);
                             EXPECT_EQ(f.size, 12);
                             EXPECT_EQ(f.faceName, "Arial");
                             EXPECT_EQ(t.elements[0].image.rotation, 900);
                             EXPECT_EQ(t.elements[0].content, "AB");
                         }});
    }
    {
        TavBytes b;
        b.header(1, 500, 500).int32(12).int32(0).int32(0);
        for (int i = 0; i < 13; ++i)
            b.int32(0);
        b.packed("F");
        b.int32(0).int32(0);    // source written after a compression failure
        b.packed("PICTURE", 3); // shown: raw length below the unpacked size
        b.int32(0).int32(256);
        b.packed("path.png", 100).packed("PHOTO"); // raw length above: the actual size
        cases.push_back({20,
                         "packed-field corner cases inside a record",
                         Engine,
                         b.bytes(),
                         ReadStatus::Loaded,
                         {12},
                         [](const Template& t) {
                             const auto& e = t.elements[0];
                             EXPECT_TRUE(e.image.source.empty());
                             EXPECT_TRUE(e.image.shown.empty());
                             EXPECT_EQ(e.image.qrSize, 256);
                             EXPECT_EQ(e.content, "path.png");
                             EXPECT_EQ(e.mark, "PHOTO");
                         }});
    }
    {
        TavBytes b;
        b.header(2, 500, 500).int32(13).int32(5).int32(6);
        for (int i = 0; i < 13; ++i)
            b.int32(0);
        b.int32(10).int32(1000000); // face name claims more packed bytes than the file holds
        b.raw("\x78\x9c", 2);
        cases.push_back({21,
                         "a packed length past the end empties the field and ends the file",
                         Engine,
                         b.bytes(),
                         ReadStatus::Loaded,
                         {13},
                         [](const Template& t) {
                             EXPECT_EQ(t.elements[0].box.x, 5);
                             EXPECT_EQ(t.elements[0].font.faceName, "");
                         }});
    }
    {
        TavBytes b;
        b.header(1, 500, 500).int32(12).int32(0).int32(0);
        for (int i = 0; i < 13; ++i)
            b.int32(0);
        b.packed("F");
        b.int32(0x7FFFFFFF).int32(4).raw("\x78\x9c\x03\x00", 4); // 2 GiB claimed by 4 bytes
        b.packed("").int32(0).int32(0).packed("c").packed("m");
        cases.push_back({22,
                         "a raw length that no stream of that size could give is empty",
                         Engine,
                         b.bytes(),
                         ReadStatus::Loaded,
                         {12},
                         [](const Template& t) {
                             EXPECT_TRUE(t.elements[0].image.source.empty());
                             EXPECT_EQ(t.elements[0].content, "c");
                             EXPECT_EQ(t.elements[0].mark, "m");
                         }});
    }
    cases.push_back({23,
                     "kind codes outside 1..13 are loaded as they are",
                     Engine,
                     TavBytes().header(2, 500, 500).record(0, 0, 0).record(14, 1, 1).bytes(),
                     ReadStatus::Loaded,
                     {0, 14}});
    return cases;
}

TEST(TemplateReader, ReadsCraftedFiles) {
    for (const auto& c : readCases()) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        Template tpl;
        tpl.page.paperWidth = 123; // must not survive any read
        tpl.elements.emplace_back();
        EXPECT_EQ(readTemplateBytes(c.bytes, c.variant, tpl).code(), c.status);
        std::vector<std::int32_t> kinds;
        for (const auto& e : tpl.elements)
            kinds.push_back(e.kind);
        EXPECT_EQ(kinds, c.kinds);
        if (c.status != ReadStatus::Loaded) {
            EXPECT_EQ(tpl, Template{});
        }
        if (c.check && kinds == c.kinds)
            c.check(tpl);
    }
}

TEST(TemplateReader, AMissingFileKeepsTheTemplateAndAnUnreadableOneEmptiesIt) {
    test::TempFolder folder;
    Template tpl;
    const auto good =
        folder.write("good.tav", TavBytes().header(1, 500, 500).record(1, 0, 0).bytes());
    ASSERT_EQ(readTemplateFile(good, ReaderVariant::Engine, tpl).code(), ReadStatus::Loaded);
    ASSERT_EQ(elementCount(tpl), 1);

    // Nothing at the path, or no path: the template stays as it was.
    EXPECT_EQ(readTemplateFile(folder.file("missing.tav"), ReaderVariant::Engine, tpl).code(),
              ReadStatus::NoFile);
    EXPECT_EQ(readTemplateFile("", ReaderVariant::Engine, tpl).code(), ReadStatus::NoFile);
    EXPECT_EQ(elementCount(tpl), 1);

    // Something that exists but is no readable file: emptied.
    EXPECT_EQ(readTemplateFile(folder.path(), ReaderVariant::Engine, tpl).code(),
              ReadStatus::CannotOpen);
    EXPECT_EQ(tpl, Template{});

    ASSERT_EQ(readTemplateFile(good, ReaderVariant::Engine, tpl).code(), ReadStatus::Loaded);
    const auto old = folder.write("old.tav", TavBytes().magic("TAV 3.0...").int32(0).bytes());
    EXPECT_EQ(readTemplateFile(old, ReaderVariant::Engine, tpl).code(), ReadStatus::BadMagic);
    EXPECT_EQ(tpl, Template{});
}

// A failed read says why in words the command line and the designer show as they are.
TEST(TemplateReader, AFailedReadCarriesItsCodeAndItsText) {
    test::TempFolder folder;
    Template tpl;
    const auto old = folder.write("old.tav", TavBytes().magic("TAV 3.0...").int32(0).bytes());
    const std::pair<ReadOutcome, const char*> cases[] = {
        {readTemplateFile(folder.file("missing.tav"), ReaderVariant::Engine, tpl), "no such file"},
        {readTemplateFile(folder.path(), ReaderVariant::Engine, tpl), "the file cannot be read"},
        {readTemplateFile(old, ReaderVariant::Engine, tpl),
         "not a template file of a version this program reads"},
    };
    for (const auto& [outcome, text] : cases) {
        EXPECT_FALSE(outcome) << text;
        EXPECT_EQ(outcome.error(), text);
        EXPECT_EQ(outcome.error(), toString(outcome.code()));
    }
    const ReadOutcome loaded = readTemplateFile(old, ReaderVariant::Editor, tpl);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(loaded.code(), ReadStatus::Loaded);
    EXPECT_EQ(loaded.error(), "");
}

} // namespace
} // namespace tav::tpl

namespace tav::tpl {
namespace {

TEST(TemplateReader, AnUnturnedPictureStoredTwiceIsHeldOnce) {
    Template tpl;
    tpl.page = {500, 500, 0, 0, 0, 1.0f, ""};
    TemplateElement picture;
    picture.kind = static_cast<std::int32_t>(ElementKind::Picture);
    picture.image.source = SharedBytes(std::vector<std::uint8_t>(5000, 7));
    picture.image.shown = picture.image.source;
    tpl.elements.push_back(picture);
    picture.image.shown = SharedBytes(std::vector<std::uint8_t>(5000, 8)); // a turned one
    tpl.elements.push_back(picture);

    Template back;
    ASSERT_EQ(readTemplateBytes(serializeTemplate(tpl), ReaderVariant::Engine, back).code(),
              ReadStatus::Loaded);
    EXPECT_EQ(back, tpl);
    EXPECT_TRUE(back.elements[0].image.shown.sharesStorageWith(back.elements[0].image.source));
    EXPECT_FALSE(back.elements[1].image.shown.sharesStorageWith(back.elements[1].image.source));
}

} // namespace
} // namespace tav::tpl
