#include "printengine/Marks.h"
#include "printengine/MarkText.h"

#include <gtest/gtest.h>
#include <map>

namespace tav::engine {
namespace {

using tpl::ElementKind;
using tpl::SharedBytes;
using tpl::Template;
using tpl::TemplateElement;

// GBK texts used below.
const std::string kUnitPrice = "\xB5\xA5\xBC\xDB"; // 单价: B5A5 BCDB
const std::string kPrice = "\xBC\xDB";             // 价

struct ContainsCase {
    int row;
    const char* why;
    std::string mark;
    std::string name;
    bool contains;
};

TEST(MarkText, ContainmentMatchesOnlyWholeCharacters) {
    const ContainsCase cases[] = {
        {1, "equal", "A1", "A1", true},
        {2, "prefix of a longer mark", "A10", "A1", true},
        {3, "inside the mark", "A1", "1", true},
        {4, "case-sensitive", "{N}", "{n}", false},
        {5, "empty name", "A1", "", false},
        {6, "empty mark", "", "A1", false},
        {7, "mark shorter than the name", "A", "AB", false},
        {8, "trail byte of one character and lead byte of the next", kUnitPrice, "\xA5\xBC", false},
        {9, "a double-byte name on a character boundary", kUnitPrice + ":{P}", kPrice, true},
        {10, "ASCII after a double-byte character", kUnitPrice + "A", "A", true},
        {11, "a trail byte in the ASCII range is part of its character", "\x81\x40", "@", false},
        {12, "the same byte after the character is found", "\x81\x40@", "@", true},
        {13, "at the very end", "xx{N}", "{N}", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        EXPECT_EQ(markContains(c.mark, c.name), c.contains);
    }
}

struct ReplaceCase {
    int row;
    const char* why;
    std::string mark, name, value, expected;
};

TEST(MarkText, ReplacementFillsEveryOccurrenceOnce) {
    const ReplaceCase cases[] = {
        {1, "several occurrences", "No.{N}-{N}", "{N}", "7", "No.7-7"},
        {2, "overlapping occurrences do not overlap", "aaa", "aa", "b", "ba"},
        {3, "text brought in by the value is not scanned again", "{N}{N}", "{N}", "x{N}x",
         "x{N}xx{N}x"},
        {4, "bytes straddling two characters stay", kUnitPrice, "\xA5\xBC", "!", kUnitPrice},
        {5, "an ASCII-range trail byte stays", "\x81\x40@", "@", "!", "\x81\x40!"},
        {6, "an empty value removes the name", kUnitPrice + ":{P}" + kPrice, "{P}", "",
         kUnitPrice + ":" + kPrice},
        {7, "a double-byte name", kUnitPrice, kPrice, "X", "\xB5\xA5X"},
        {8, "the bytes after the last occurrence are kept", "{P} each", "{P}", "3", "3 each"},
        {9, "a lead byte at the very end is kept", "{P}\xB5", "{P}", "1", "1\xB5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        EXPECT_EQ(replaceInMark(c.mark, c.name, c.value), c.expected);
    }
}

// Records what the engine asks for and answers with made-up pictures.
class FakePictureMaker : public PictureMaker {
public:
    SharedBytes barcode(const std::string& content) override {
        barcodes.push_back(content);
        return failSymbols ? SharedBytes() : bytes("barcode:" + content);
    }
    SharedBytes qrCode(const std::string& content, std::int32_t size) override {
        qrSizes.push_back(size);
        return failSymbols ? SharedBytes() : bytes("qr:" + content);
    }
    std::optional<SharedBytes> pictureFile(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        return bytes(it->second);
    }
    static SharedBytes bytes(const std::string& s) {
        return SharedBytes(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    }

    std::vector<std::string> barcodes;
    std::vector<std::int32_t> qrSizes;
    std::map<std::string, std::string> files;
    bool failSymbols = false;
};

TemplateElement element(ElementKind kind, const std::string& mark,
                        const std::string& content = "") {
    TemplateElement e;
    e.kind = static_cast<std::int32_t>(kind);
    e.mark = mark;
    e.content = content;
    return e;
}

TEST(Marks, TheFirstContainingMarkIsFilled) {
    Template tpl;
    tpl.elements = {element(ElementKind::Text, "A1"), element(ElementKind::Text, "A10")};
    FakePictureMaker maker;
    EXPECT_TRUE(setMark(tpl, "A10", "x", maker).ok());
    EXPECT_EQ(tpl.elements[0].content, "");
    EXPECT_EQ(tpl.elements[1].content, "x");
    EXPECT_TRUE(setMark(tpl, "A1", "y", maker).ok());
    EXPECT_EQ(tpl.elements[0].content, "y");
    EXPECT_TRUE(setMark(tpl, "1", "z", maker).ok()); // contained in A1: rebuilt from the mark
    EXPECT_EQ(tpl.elements[0].content, "Az");
    EXPECT_EQ(tpl.elements[1].content, "x");
}

TEST(Marks, NothingChangesWhenNoMarkContainsTheName) {
    Template tpl;
    tpl.elements = {element(ElementKind::Text, "{N}", "old"), element(ElementKind::Text, "", "e")};
    const Template before = tpl;
    FakePictureMaker maker;
    for (const char* name : {"{n}", "", "X"}) {
        const MarkStatus set = setMark(tpl, name, "v", maker);
        EXPECT_EQ(set.code(), MarkOutcome::NoSuchMark) << name;
        EXPECT_EQ(set.error(), "no element's mark contains it") << name;
    }
    EXPECT_EQ(tpl, before);
    Template empty;
    EXPECT_FALSE(setMark(empty, "{N}", "v", maker).ok());
}

TEST(Marks, AMarkWithTwoNamesShowsOneFilledAtATime) {
    Template tpl;
    tpl.elements = {element(ElementKind::Text, "{A}/{B}")};
    FakePictureMaker maker;
    setMark(tpl, "{A}", "1", maker);
    EXPECT_EQ(tpl.elements[0].content, "1/{B}");
    setMark(tpl, "{B}", "2", maker);
    EXPECT_EQ(tpl.elements[0].content, "{A}/2");
}

TEST(Marks, GetMarkAndGetSameCompareWholeMarks) {
    Template tpl;
    tpl.elements = {element(ElementKind::Text, "NAME", "first"),
                    element(ElementKind::Text, "NAME", "second"),
                    element(ElementKind::Text, "NAME2", "third"), element(ElementKind::Text, "")};
    FakePictureMaker maker;
    EXPECT_EQ(getSame(tpl, "NAME"), 2);
    EXPECT_EQ(getSame(tpl, ""), 1);
    EXPECT_EQ(getSame(tpl, "NAM"), 0);
    EXPECT_EQ(getMark(tpl, "NAME"), "first");
    EXPECT_EQ(getMark(tpl, "AME2"), "");                // only part of a longer mark...
    EXPECT_TRUE(setMark(tpl, "AME2", "x", maker).ok()); // ...which SetMark still finds
    EXPECT_TRUE(setMark(tpl, "NAME", "v", maker).ok());
    EXPECT_EQ(getMark(tpl, "NAME"), "v");
    EXPECT_EQ(tpl.elements[1].content, "second"); // only the first is filled
}

TEST(Marks, BarcodeAndQrElementsGetNewSymbols) {
    Template tpl;
    auto barcode = element(ElementKind::BarcodeImage, "CODE");
    barcode.image.rotation = 900; // made-up bytes are no BMP, so they stay as they are
    auto qrDefault = element(ElementKind::QrCodeImage, "QR");
    auto qrSized = element(ElementKind::QrCodeImage, "QR2");
    qrSized.image.qrSize = 120;
    tpl.elements = {barcode, qrDefault, qrSized};
    FakePictureMaker maker;
    EXPECT_TRUE(setMark(tpl, "CODE", "123", maker).ok());
    EXPECT_EQ(maker.barcodes, std::vector<std::string>{"123"});
    EXPECT_EQ(tpl.elements[0].image.source, FakePictureMaker::bytes("barcode:123"));
    EXPECT_EQ(tpl.elements[0].image.shown, FakePictureMaker::bytes("barcode:123"));
    EXPECT_TRUE(setMark(tpl, "QR", "hello", maker).ok());
    EXPECT_TRUE(setMark(tpl, "QR2", "x", maker).ok());
    EXPECT_EQ(maker.qrSizes, (std::vector<std::int32_t>{256, 120}));
    EXPECT_EQ(tpl.elements[1].image.shown, FakePictureMaker::bytes("qr:hello"));
}

TEST(Marks, ASymbolThatCannotBeMadeLeavesNoPicture) {
    Template tpl;
    auto barcode = element(ElementKind::BarcodeImage, "CODE");
    barcode.image.source = barcode.image.shown = FakePictureMaker::bytes("old");
    tpl.elements = {barcode};
    FakePictureMaker maker;
    maker.failSymbols = true;
    EXPECT_TRUE(setMark(tpl, "CODE", "123", maker).ok());
    EXPECT_EQ(tpl.elements[0].content, "123");
    EXPECT_TRUE(tpl.elements[0].image.source.empty());
    EXPECT_TRUE(tpl.elements[0].image.shown.empty());
}

TEST(Marks, PictureElementsTakeTheFileTheValueNames) {
    Template tpl;
    auto picture = element(ElementKind::Picture, "photo {P}");
    picture.image.source = picture.image.shown = FakePictureMaker::bytes("old");
    tpl.elements = {picture};
    FakePictureMaker maker;
    maker.files["/pics/a.png"] = "PNG-A";

    // No such file: a failure, yet the content has changed and the pictures have not.
    const MarkStatus missing = setMark(tpl, "{P}", "/pics/missing.png", maker);
    EXPECT_EQ(missing.code(), MarkOutcome::PictureUnreadable);
    EXPECT_EQ(missing.error(), "its picture file cannot be read");
    EXPECT_EQ(tpl.elements[0].content, "photo /pics/missing.png");
    EXPECT_EQ(tpl.elements[0].image.source, FakePictureMaker::bytes("old"));

    // The file named by the value, not by the content built from the mark.
    EXPECT_TRUE(setMark(tpl, "{P}", "/pics/a.png", maker).ok());
    EXPECT_EQ(tpl.elements[0].content, "photo /pics/a.png");
    EXPECT_EQ(tpl.elements[0].image.source, FakePictureMaker::bytes("PNG-A"));
    EXPECT_EQ(tpl.elements[0].image.shown, FakePictureMaker::bytes("PNG-A"));

    // No file named at all (an empty cell): the picture stays; SetMark still fails.
    EXPECT_EQ(fillMark(tpl, "{P}", "", maker), MarkOutcome::PictureKept);
    EXPECT_EQ(tpl.elements[0].content, "photo ");
    EXPECT_EQ(tpl.elements[0].image.shown, FakePictureMaker::bytes("PNG-A"));
    EXPECT_EQ(setMark(tpl, "{P}", "", maker).code(), MarkOutcome::PictureKept);
}

TEST(Marks, OtherKindsOnlyChangeTheirContent) {
    Template tpl;
    tpl.elements = {element(ElementKind::RectOutline, "R"),
                    element(static_cast<ElementKind>(99), "Q")};
    FakePictureMaker maker;
    EXPECT_TRUE(setMark(tpl, "R", "1", maker).ok());
    EXPECT_TRUE(setMark(tpl, "Q", "2", maker).ok());
    EXPECT_TRUE(maker.barcodes.empty());
    EXPECT_TRUE(maker.qrSizes.empty());
}

} // namespace
} // namespace tav::engine
