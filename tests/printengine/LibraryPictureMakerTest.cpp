// The engine's pictures as the real barcode and QR libraries make them.
#include "printengine/Marks.h"

#include "support/Command.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace tav::engine {
namespace {

using tpl::ElementKind;

std::int32_t le32(const tpl::SharedBytes& b, std::size_t at) {
    const auto* p = b.data() + at;
    return static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16 |
                                     static_cast<unsigned>(p[3]) << 24);
}

struct Size {
    std::int32_t width, height;
    bool operator==(const Size&) const = default;
};

Size bmpSize(const tpl::SharedBytes& b) {
    if (b.size() < 26 || b.data()[0] != 'B' || b.data()[1] != 'M')
        return {-1, -1};
    return {le32(b, 18), std::abs(le32(b, 22))};
}

tpl::TemplateElement element(ElementKind kind, const char* mark, std::int32_t rotation = 0) {
    tpl::TemplateElement e;
    e.kind = static_cast<std::int32_t>(kind);
    e.mark = mark;
    e.image.rotation = rotation;
    return e;
}

TEST(LibraryPictureMaker, BarcodesAndQrCodesAreBmpsOfTheExpectedSize) {
    tpl::Template tpl;
    tpl.elements = {element(ElementKind::BarcodeImage, "CODE"),
                    element(ElementKind::BarcodeImage, "TURNED", 900),
                    element(ElementKind::QrCodeImage, "QR")};
    auto& maker = libraryPictureMaker();
    ASSERT_TRUE(setMark(tpl, "CODE", "ABC", maker).ok());
    ASSERT_TRUE(setMark(tpl, "TURNED", "ABC", maker).ok());
    ASSERT_TRUE(setMark(tpl, "QR", "https://example.com/a", maker).ok());

    EXPECT_EQ(bmpSize(tpl.elements[0].image.source), (Size{208, 112})); // 3 x 68 modules + 4
    EXPECT_EQ(tpl.elements[0].image.shown, tpl.elements[0].image.source);
    EXPECT_EQ(bmpSize(tpl.elements[1].image.shown), (Size{112, 208}));  // turned a quarter
    EXPECT_EQ(bmpSize(tpl.elements[2].image.source), (Size{256, 256})); // qrSize 0
}

// What a scanner (zbarimg) reads from a BMP; empty when it finds nothing.
std::string scanned(const tpl::SharedBytes& bmp, test::TempFolder& folder) {
    const auto path =
        folder.write("symbol.bmp", std::vector<std::uint8_t>(bmp.span().begin(), bmp.span().end()));
    auto result = test::runCommand("zbarimg --nodbus -q --raw '" + path + "' 2>/dev/null");
    if (!result.output.empty() && result.output.back() == '\n')
        result.output.pop_back();
    return result.output;
}

// A mark that holds the name inside a longer text: the symbol carries the whole filled text,
// rebuilt from the mark on every fill, not the value alone or an earlier fill.
TEST(LibraryPictureMaker, SymbolsHoldTheFilledMark) {
    struct Case {
        int row;
        ElementKind kind;
        std::int32_t rotation;
        const char* mark;
        const char* name;
        const char* scanned; // after filling `name` with "41", then with "42"
    };
    const Case cases[] = {
        {1, ElementKind::BarcodeImage, 0, "No.{N}", "{N}", "No.42"},
        {2, ElementKind::BarcodeImage, 900, "No.{N}", "{N}", "No.42"},
        {3, ElementKind::BarcodeImage, 0, "{A}-{N}", "{N}", "{A}-42"},
        {4, ElementKind::QrCodeImage, 0, "No.{N}", "{N}", "No.42"},
        {5, ElementKind::QrCodeImage, 2700, "{N} of {N}", "{N}", "42 of 42"},
    };
    test::TempFolder folder;
    auto& maker = libraryPictureMaker();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.mark);
        tpl::Template tpl;
        tpl.elements = {element(c.kind, c.mark, c.rotation)};
        ASSERT_TRUE(setMark(tpl, c.name, "41", maker).ok());
        ASSERT_TRUE(setMark(tpl, c.name, "42", maker).ok());
        EXPECT_EQ(tpl.elements[0].content, c.scanned);
        EXPECT_EQ(scanned(tpl.elements[0].image.shown, folder), c.scanned);
    }
}

TEST(LibraryPictureMaker, PictureFilesAreReadWhole) {
    test::TempFolder folder;
    const std::vector<std::uint8_t> bytes = {0x89, 'P', 'N', 'G', 1, 2, 3};
    const auto path = folder.write("photo.png", bytes);
    auto& maker = libraryPictureMaker();
    auto read = maker.pictureFile(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, tpl::SharedBytes(bytes));
    EXPECT_FALSE(maker.pictureFile(folder.file("missing.png")).has_value());
    EXPECT_FALSE(maker.pictureFile(folder.path()).has_value()); // a folder is no picture

    // A GBK path finds the file that the UTF-8 file system names with the same characters.
    folder.write("照片.png", bytes);
    EXPECT_TRUE(maker.pictureFile(folder.path() + "/\xD5\xD5\xC6\xAC.png").has_value());
}

} // namespace
} // namespace tav::engine
