// libqrcode through its C operations, the way the print engine calls them, checked with two
// independent decoders (zbar and ZXing), plus the layout rules of the core.
#include "qrcode.h"
#include "platform/Charset.h"
#include "qrcode/QrSymbol.h"
#include "support/Command.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <sys/wait.h>

namespace {

using tav::test::readFileBytes;
using tav::test::TempFolder;

using tav::test::CommandResult;

CommandResult run(const std::string& command) {
    return tav::test::runCommand(command);
}

// What zbar reads from the picture; empty when it finds no symbol.
std::string zbarText(const std::string& file) {
    auto result = run("zbarimg --nodbus -q --raw '" + file + "' 2>/dev/null");
    if (result.exitCode != 0)
        return {};
    if (!result.output.empty() && result.output.back() == '\n')
        result.output.pop_back();
    return result.output;
}

// The raw bytes ZXing reads from the picture; empty when it finds no symbol.
std::string zxingBytes(const std::string& file) {
    return run("ZXingReader -bytes '" + file + "' 2>/dev/null").output;
}

std::string zxingReport(const std::string& file) {
    return run("ZXingReader '" + file + "' 2>/dev/null").output;
}

// The engine's fixed call sequence.
int saveLikeTheEngine(const std::string& content, int size, const std::string& path) {
    QRSetMessage(content.c_str());
    QRSetBackColor(255, 255, 255);
    QRSetBarColor(0, 0, 0);
    QRConfigure(0, 0, 5);
    QRAppearance(0.2, 1, 0);
    QRSetSize(size, size);
    return QRSaveAsBMP(path.c_str());
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Reads back the 1-bit BMPs the library writes: size, color table and pixels.
struct OneBitBmp {
    explicit OneBitBmp(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    bool valid() const {
        return m_bytes.size() >= 62 && m_bytes[0] == 'B' && m_bytes[1] == 'M' &&
               le32(m_bytes, 2) == m_bytes.size() && le32(m_bytes, 14) == 40 &&
               (m_bytes[28] | m_bytes[29] << 8) == 1;
    }
    int width() const { return static_cast<int>(le32(m_bytes, 18)); }
    int height() const { return static_cast<int>(le32(m_bytes, 22)); }
    // Color table entry as 0xRRGGBB.
    std::uint32_t color(int index) const {
        std::size_t at = 54 + 4 * static_cast<std::size_t>(index);
        return static_cast<std::uint32_t>(m_bytes[at + 2] << 16 | m_bytes[at + 1] << 8 |
                                          m_bytes[at]);
    }
    int index(int x, int y) const {
        std::size_t stride = ((static_cast<std::size_t>(width()) + 31) / 32) * 4;
        std::size_t row = static_cast<std::size_t>(height() - 1 - y);
        auto byte = m_bytes[le32(m_bytes, 10) + row * stride + static_cast<std::size_t>(x) / 8];
        return (byte >> (7 - x % 8)) & 1;
    }
    // Bounding box of the pixels of color index 1: left, top, right, bottom (inclusive).
    std::array<int, 4> darkBox() const {
        std::array<int, 4> box{width(), height(), -1, -1};
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                if (index(x, y) == 1)
                    box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                           std::max(box[3], y)};
        return box;
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

std::string gbk(const char* utf8) {
    return *tav::platform::utf8ToGbk(utf8);
}

} // namespace

// Symbols made through the engine's call sequence decode with both decoders, to the UTF-8 form
// of the GBK content.
TEST(QrCodeEngineSequence, DecodesWithZbarAndZxing) {
    struct Row {
        int row;
        const char* source;
        std::string utf8;
    };
    const Row rows[] = {
        {1, "plain ASCII", "Hello, World"},
        {2, "digits only (numeric mode)", "0123456789012345678901234567890123456789"},
        {3, "URL with query", "https://example.com/label?id=42&lot=A7-b"},
        {4, "mixed case keeps its case", "AbCdEf xyz"},
        {5, "Chinese price label", "中文标签测试：单价12.50元"},
        {6, "one Chinese character", "价"},
        {7, "30 characters, the benchmark's length", "SN-2024-000123456789-ABCDEFGHI"},
        {8, "a long text (about 600 bytes)",
         std::string(200, 'x') + std::string(60, '9') + std::string(100, 'q') + "产品说明书第二版"},
    };
    TempFolder folder;
    for (const auto& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row) + ": " + r.source);
        std::string path = folder.file(std::string("qr").append(std::to_string(r.row)) + ".bmp");
        ASSERT_EQ(saveLikeTheEngine(gbk(r.utf8.c_str()), 256, path), 1);
        EXPECT_EQ(zbarText(path), r.utf8);
        EXPECT_EQ(zxingBytes(path), r.utf8);
    }
}

TEST(QrCodeEngineSequence, GivesLevelQWithAQuietZoneOfFiveModules) {
    TempFolder folder;
    std::string path = folder.file("q.bmp");
    ASSERT_EQ(saveLikeTheEngine("Hello, World", 256, path), 1);
    EXPECT_NE(zxingReport(path).find("EC Level:   Q"), std::string::npos) << zxingReport(path);

    // "Hello, World" (12 bytes) at level Q needs version 2 (25 modules): 25 + 2 * 5 = 35 modules
    // across, so 7 pixels per module and a symbol of 175 pixels, centered.
    OneBitBmp bmp(readFileBytes(path));
    ASSERT_TRUE(bmp.valid());
    auto box = bmp.darkBox();
    EXPECT_EQ(box[2] - box[0] + 1, 175);
    EXPECT_EQ(box[3] - box[1] + 1, 175);
    EXPECT_EQ(box[0], 40);
    EXPECT_EQ(box[1], 40);
    EXPECT_GE(box[0], 5 * 7);
}

TEST(QrCodeEngineSequence, SizeAndColors) {
    struct Row {
        int row;
        const char* source;
        int width, height; // asked
        int expectedWidth, expectedHeight;
    };
    const Row rows[] = {
        {1, "the engine's default size", 256, 256, 256, 256},
        {2, "qrSize below 1 means 256", 0, 0, 256, 256},
        {3, "negative size means 256", -5, -5, 256, 256},
        {4, "odd size", 101, 101, 101, 101},
        {5, "not square: symbol in the centered square", 300, 200, 300, 200},
    };
    TempFolder folder;
    for (const auto& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row) + ": " + r.source);
        // Appended, not "s" + ...: GCC 12 at -O3 reports a false overlap (-Wrestrict) there.
        std::string path = folder.file(std::string("s").append(std::to_string(r.row)) + ".bmp");
        QRSetMessage("size test");
        QRSetBackColor(255, 255, 255);
        QRSetBarColor(0, 0, 0);
        QRConfigure(0, 0, 5);
        QRAppearance(0.2, 1, 0);
        QRSetSize(r.width, r.height);
        ASSERT_EQ(QRSaveAsBMP(path.c_str()), 1);
        OneBitBmp bmp(readFileBytes(path));
        ASSERT_TRUE(bmp.valid());
        EXPECT_EQ(bmp.width(), r.expectedWidth);
        EXPECT_EQ(bmp.height(), r.expectedHeight);
        EXPECT_EQ(bmp.color(0), 0xFFFFFFu);
        EXPECT_EQ(bmp.color(1), 0x000000u);
        auto box = bmp.darkBox();
        // Centered: the borders on opposite sides differ by at most one pixel.
        EXPECT_LE(std::abs(box[0] - (bmp.width() - 1 - box[2])), 1);
        EXPECT_LE(std::abs(box[1] - (bmp.height() - 1 - box[3])), 1);
        EXPECT_EQ(zbarText(path), "size test");
    }
}

TEST(QrCodeColors, AreWrittenToTheColorTableAndClamped) {
    TempFolder folder;
    std::string path = folder.file("c.bmp");
    QRSetMessage("colours");
    QRSetBackColor(255, 250, 200);
    QRSetBarColor(20, 40, 300); // blue clamps to 255
    QRConfigure(0, 0, 5);
    QRAppearance(0.2, 1, 0);
    QRSetSize(200, 200);
    ASSERT_EQ(QRSaveAsBMP(path.c_str()), 1);
    OneBitBmp bmp(readFileBytes(path));
    ASSERT_TRUE(bmp.valid());
    EXPECT_EQ(bmp.color(0), 0xFFFAC8u);
    EXPECT_EQ(bmp.color(1), 0x1428FFu);
    EXPECT_EQ(bmp.index(0, 0), 0); // the border is the back color

    QRAppearance(0.2, 1, 1); // negative: the colors swap places
    ASSERT_EQ(QRSaveAsBMP(path.c_str()), 1);
    OneBitBmp negative(readFileBytes(path));
    EXPECT_EQ(negative.color(0), 0x1428FFu);
    EXPECT_EQ(negative.color(1), 0xFFFAC8u);
}

// A value cut in the middle of a character, or holding bytes that are no GBK character, still
// makes a symbol: each such byte becomes U+FFFD, the rest of the text stays.
TEST(QrCodeMessages, BytesThatAreNotGbkBecomeReplacementCharacters) {
    struct Row {
        int row;
        const char* source;
        std::string message; // GBK, damaged
        std::string utf8;    // what a reader gets
    };
    const Row rows[] = {
        {1, "a lone GBK lead byte at the end", "abc\x81", "abc\xEF\xBF\xBD"},
        {2, "a byte that starts no GBK character",
         "abc\xFF"
         "def",
         "abc\xEF\xBF\xBD"
         "def"},
        {3, "a Chinese value cut after a lead byte", "\xD6\xD0\xCE", "\xE4\xB8\xAD\xEF\xBF\xBD"},
    };
    TempFolder folder;
    for (const auto& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row) + ": " + r.source);
        std::string path = folder.file(std::string("g").append(std::to_string(r.row)) + ".bmp");
        ASSERT_EQ(saveLikeTheEngine(r.message, 256, path), 1);
        EXPECT_EQ(zxingBytes(path), r.utf8);
    }
}

// Saves that fail return 0 and leave no file behind.
TEST(QrCodeFailures, ReturnZeroAndWriteNothing) {
    struct Row {
        int row;
        const char* source;
        std::string message; // GBK
        int size;
        bool nullPath;
    };
    const Row rows[] = {
        {1, "too long for version 40 (3000 bytes)", std::string(3000, 'a'), 256, false},
        {2, "too long in numeric mode too", std::string(7100, '7'), 256, false},
        {3, "empty message", "", 256, false},
        {6, "symbol larger than the picture", "Hello, World", 20, false},
        {7, "picture larger than the limit", "Hello, World", 16385, false},
        {8, "null path", "Hello, World", 256, true},
    };
    TempFolder folder;
    for (const auto& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row) + ": " + r.source);
        std::string path = folder.file(std::string("f").append(std::to_string(r.row)) + ".bmp");
        EXPECT_EQ(saveLikeTheEngine(r.message, r.size, r.nullPath ? std::string() : path), 0);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    QRSetMessage(nullptr); // a null text is the empty text
    EXPECT_EQ(QRSaveAsBMP(folder.file("null.bmp").c_str()), 0);
    EXPECT_EQ(QRSaveAsBMP(nullptr), 0);
    QRSetMessage("ok");
    EXPECT_EQ(QRSaveAsBMP(folder.file("missing-folder/x.bmp").c_str()), 0);
}

// On a full disk an existing picture stays as it was, and no temporary file is left beside it.
TEST(QrCodeFiles, AFailedWriteKeepsTheExistingFile) {
    TempFolder folder;
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    const std::string path = folder.write("old.bmp", old);
    EXPECT_EQ(tav::test::runWithFileSizeLimit(
                  100, [&] { return saveLikeTheEngine("Hello, World", 256, path); }),
              0);
    EXPECT_EQ(readFileBytes(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(QrCodeFiles, AnExistingFileIsTruncatedAndSettingsStay) {
    TempFolder folder;
    std::string path = folder.write("old.bmp", std::vector<std::uint8_t>(100000, 0xAB));
    ASSERT_EQ(saveLikeTheEngine("truncate me", 64, path), 1);
    auto first = readFileBytes(path);
    OneBitBmp bmp(first);
    EXPECT_TRUE(bmp.valid()); // the size field matches the file's length: nothing old is left
    EXPECT_EQ(bmp.width(), 64);

    // The settings are kept between calls: a second save writes the same picture.
    std::string again = folder.file("again.bmp");
    ASSERT_EQ(QRSaveAsBMP(again.c_str()), 1);
    EXPECT_EQ(readFileBytes(again), first);
}

TEST(QrArguments, MapOntoSettings) {
    using tav::qr::ErrorCorrection;
    struct Row {
        int row;
        double recovery;
        ErrorCorrection level;
    };
    const Row rows[] = {
        {1, -1.0, ErrorCorrection::L},
        {2, 0.0, ErrorCorrection::L},
        {3, 0.07, ErrorCorrection::L},
        {4, 0.08, ErrorCorrection::M},
        {5, 0.15, ErrorCorrection::M},
        {6, 0.2, ErrorCorrection::Q},
        {7, 0.25, ErrorCorrection::Q},
        {8, 0.3, ErrorCorrection::H},
        {9, 1e9, ErrorCorrection::H},
        {10, std::numeric_limits<double>::quiet_NaN(), ErrorCorrection::M},
    };
    for (const auto& r : rows)
        EXPECT_EQ(tav::qr::levelFromRecovery(r.recovery), r.level) << "row " << r.row;

    EXPECT_EQ(tav::qr::versionFromArgument(0), 0);
    EXPECT_EQ(tav::qr::versionFromArgument(40), 40);
    EXPECT_EQ(tav::qr::versionFromArgument(41), 0);
    EXPECT_EQ(tav::qr::versionFromArgument(-3), 0);
    EXPECT_EQ(tav::qr::quietZoneFromArgument(-1), 0);
    EXPECT_EQ(tav::qr::quietZoneFromArgument(5), 5);
    EXPECT_EQ(tav::qr::encodingFromArgument(1), tav::qr::Encoding::Bytes);
    EXPECT_EQ(tav::qr::encodingFromArgument(7), tav::qr::Encoding::Automatic);
}

// Where the modules land: whole pixels and centered, a border that shrinks when the picture is
// small, and stretched modules that fill the square.
TEST(QrDrawing, PlacesModules) {
    const auto encoded = tav::qr::encodeModules("Hello", tav::qr::Encoding::Automatic, 0,
                                                tav::qr::ErrorCorrection::M);
    ASSERT_TRUE(encoded);
    const tav::qr::QrModules& modules = encoded.value();
    ASSERT_EQ(modules.width, 21);
    struct Row {
        int row;
        const char* source;
        int quietZone, side;
        bool whole;
        int firstDark, darkSpan; // along x and y: the top-left finder's outer corner and extent
    };
    const Row rows[] = {
        {1, "31 modules in 62 px: 2 px each, border 10", 5, 62, true, 10, 42},
        {2, "31 modules in 70 px: 2 px each, leftover 4 px per side", 5, 70, true, 14, 42},
        {3, "border shrinks to fit: 25 px, symbol 21", 5, 25, true, 2, 21},
        {4, "no room for a border at all", 5, 21, true, 0, 21},
        {5, "stretched: 31 modules over 93 px, 3 px each", 5, 93, false, 15, 63},
        {6, "stretched over 100 px: module edges rounded", 5, 100, false, 17, 67},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row) + ": " + r.source);
        const auto drawn = tav::qr::drawModules(modules, r.quietZone, r.side, r.side, r.whole);
        ASSERT_TRUE(drawn) << drawn.error();
        const auto* picture = &drawn.value();
        int first = -1, last = -1;
        for (int x = 0; x < r.side; ++x)
            if (picture->ink(static_cast<std::uint32_t>(x),
                             static_cast<std::uint32_t>(r.firstDark))) {
                first = first < 0 ? x : first;
                last = x;
            }
        EXPECT_EQ(first, r.firstDark);
        EXPECT_EQ(last - first + 1, r.darkSpan);
    }
    const auto tooSmall = tav::qr::drawModules(modules, 4, 20, 20, true);
    EXPECT_FALSE(tooSmall);
    EXPECT_EQ(tooSmall.code(), tav::qr::QrError::DoesNotFit);
    EXPECT_EQ(tooSmall.error(), "the symbol does not fit in the picture");
}
