// turnPicture: goldens for every bit depth and header form, the pixel moves checked against the
// rotation rules by an independent reader, and malformed BMPs that must come back unchanged.
// TAV_UPDATE_GOLDEN=1 rewrites the goldens in tests/data/pictures/turn/ for review.
#include "printengine/PictureTurn.h"
#include "LargestAllocation.h"
#include "platform/ImageCodec.h"
#include "support/Golden.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
std::uint32_t get32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// A BMP to build: the header fields that matter here and the pixels as stored values, row by row
// from the top.
struct BmpLayout {
    std::uint32_t bits = 24;
    std::int32_t width = 1;
    std::int32_t height = 1;
    bool topDown = false;
    std::uint32_t infoSize = 40;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::int32_t xResolution = 2835;
    std::int32_t yResolution = 2835;
    Bytes profile;                    // V5 only: an embedded profile placed after the rows
    std::vector<std::uint32_t> masks; // written after a 40-byte header (or inside a V4/V5 one)
    std::vector<std::uint32_t> pixels;
};

std::size_t strideOf(std::uint32_t width, std::uint32_t bits) {
    return (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
}

Bytes makeBmp(const BmpLayout& s) {
    std::uint32_t entries = s.colorsUsed ? s.colorsUsed : (s.bits <= 8 ? 1u << s.bits : 0);
    std::uint32_t afterHeader =
        s.infoSize == 40 ? static_cast<std::uint32_t>(s.masks.size()) * 4 : 0;
    std::uint32_t offset = 14 + s.infoSize + afterHeader + entries * 4;
    std::size_t stride = strideOf(static_cast<std::uint32_t>(s.width), s.bits);
    auto imageSize = static_cast<std::uint32_t>(stride * static_cast<std::size_t>(s.height));
    Bytes b{'B', 'M'};
    put32(b, offset + imageSize + static_cast<std::uint32_t>(s.profile.size()));
    put32(b, 0);
    put32(b, offset);
    put32(b, s.infoSize);
    put32(b, static_cast<std::uint32_t>(s.width));
    put32(b, static_cast<std::uint32_t>(s.topDown ? -s.height : s.height));
    put16(b, 1);
    put16(b, s.bits);
    put32(b, s.compression);
    put32(b, imageSize);
    put32(b, static_cast<std::uint32_t>(s.xResolution));
    put32(b, static_cast<std::uint32_t>(s.yResolution));
    put32(b, s.colorsUsed);
    put32(b, 0);
    if (s.infoSize > 40) {
        for (std::size_t i = 0; i < 4; ++i)
            put32(b, i < s.masks.size() ? s.masks[i] : 0);
        put32(b, s.profile.empty() ? 0x73524742 : 0x4D424544); // 'sRGB' or 'MBED'
        while (b.size() < 14 + 108)
            b.push_back(0);
        if (s.infoSize == 124) {
            put32(b, 4); // intent
            put32(b, s.profile.empty() ? 0 : s.infoSize + entries * 4 + imageSize);
            put32(b, static_cast<std::uint32_t>(s.profile.size()));
            put32(b, 0);
        }
    } else {
        for (auto mask : s.masks)
            put32(b, mask);
    }
    for (std::uint32_t i = 0; i < entries; ++i) // a grey ramp with a marker in the reserved byte
        put32(b, (i * 0x0B0B0B & 0xFFFFFF) | (i & 0xFF) << 24);
    std::size_t rowsAt = b.size();
    b.resize(rowsAt + imageSize, 0);
    for (std::int32_t r = 0; r < s.height; ++r) {
        std::size_t stored = static_cast<std::size_t>(s.topDown ? r : s.height - 1 - r);
        std::uint8_t* row = b.data() + rowsAt + stored * stride;
        for (std::int32_t c = 0; c < s.width; ++c) {
            std::uint32_t v = s.pixels[static_cast<std::size_t>(r * s.width + c)];
            auto x = static_cast<std::size_t>(c);
            if (s.bits < 8) {
                std::size_t perByte = 8 / s.bits;
                auto shift = 8 - s.bits * static_cast<std::uint32_t>(x % perByte + 1);
                row[x / perByte] = static_cast<std::uint8_t>(row[x / perByte] | v << shift);
            } else {
                for (std::uint32_t k = 0; k < s.bits / 8; ++k)
                    row[x * (s.bits / 8) + k] = static_cast<std::uint8_t>(v >> (8 * k));
            }
        }
    }
    b.insert(b.end(), s.profile.begin(), s.profile.end());
    return b;
}

// The picture as the reader sees it: size, orientation and stored values from the top row.
struct Seen {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool topDown = false;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(std::int32_t c, std::int32_t r) const {
        return pixels[static_cast<std::size_t>(r * width + c)];
    }
};

Seen readBmp(const Bytes& b) {
    Seen seen;
    auto bits = static_cast<std::uint32_t>(b[28] | b[29] << 8);
    seen.width = static_cast<std::int32_t>(get32(b, 18));
    auto h = static_cast<std::int32_t>(get32(b, 22));
    seen.topDown = h < 0;
    seen.height = h < 0 ? -h : h;
    std::size_t stride = strideOf(static_cast<std::uint32_t>(seen.width), bits);
    for (std::int32_t r = 0; r < seen.height; ++r) {
        std::size_t stored = static_cast<std::size_t>(seen.topDown ? r : seen.height - 1 - r);
        const std::uint8_t* row = b.data() + get32(b, 10) + stored * stride;
        for (std::int32_t c = 0; c < seen.width; ++c) {
            auto x = static_cast<std::size_t>(c);
            std::uint32_t v = 0;
            if (bits < 8) {
                std::size_t perByte = 8 / bits;
                auto shift = 8 - bits * static_cast<std::uint32_t>(x % perByte + 1);
                v = (row[x / perByte] >> shift) & ((1u << bits) - 1);
            } else {
                for (std::uint32_t k = 0; k < bits / 8; ++k)
                    v |= static_cast<std::uint32_t>(row[x * (bits / 8) + k]) << (8 * k);
            }
            seen.pixels.push_back(v);
        }
    }
    return seen;
}

// Stored values that differ from pixel to pixel as far as the bit depth allows.
std::vector<std::uint32_t> pattern(std::uint32_t bits, std::int32_t width, std::int32_t height) {
    std::vector<std::uint32_t> values;
    for (std::int32_t r = 0; r < height; ++r)
        for (std::int32_t c = 0; c < width; ++c) {
            auto i = static_cast<std::uint32_t>(r * width + c);
            if (bits == 1)
                values.push_back((c * 7 + r * 3 + c * r) % 5 < 2 ? 1u : 0u);
            else if (bits == 4)
                values.push_back((i * 7 + 3) % 16);
            else if (bits == 8)
                values.push_back((i * 5 + 2) % 20);
            else
                values.push_back((0x9E3779B9u * (i + 1)) >> (32 - bits));
        }
    return values;
}

BmpLayout patterned(std::uint32_t bits, std::int32_t width, std::int32_t height) {
    BmpLayout s;
    s.bits = bits;
    s.width = width;
    s.height = height;
    s.pixels = pattern(bits, width, height);
    return s;
}

struct Fixture {
    int row;
    const char* name; // golden file stem
    const char* source;
    BmpLayout layout;
};

std::vector<Fixture> fixtures() {
    std::vector<Fixture> f;
    f.push_back({1, "bpp1-5x3", "1 bit, two-color table", patterned(1, 5, 3)});
    f.push_back({2, "bpp4-5x3", "4 bits, 16 colors", patterned(4, 5, 3)});
    auto eight = patterned(8, 5, 3);
    eight.colorsUsed = 20;
    f.push_back({3, "bpp8-5x3", "8 bits, a table of 20 colors", eight});
    f.push_back({4, "bpp16-5x3", "16 bits, 5-5-5", patterned(16, 5, 3)});
    f.push_back({5, "bpp24-5x3", "24 bits", patterned(24, 5, 3)});
    f.push_back({6, "bpp32-5x3", "32 bits", patterned(32, 5, 3)});
    auto topDown8 = eight;
    topDown8.topDown = true;
    f.push_back({7, "bpp8-5x3-topdown", "8 bits stored top-down", topDown8});
    auto topDown24 = patterned(24, 5, 3);
    topDown24.topDown = true;
    f.push_back({8, "bpp24-5x3-topdown", "24 bits stored top-down", topDown24});
    auto fields = patterned(16, 5, 3);
    fields.compression = 3;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    f.push_back({9, "bpp16-5x3-bitfields", "16 bits, 5-6-5 masks after the header", fields});
    auto v5 = patterned(32, 5, 3);
    v5.infoSize = 124;
    v5.compression = 3;
    v5.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    v5.xResolution = 11811; // 300 dpi across, 600 dpi down: swapped by a quarter turn
    v5.yResolution = 23622;
    v5.profile = {'p', 'r', 'o', 'f', 'i', 'l', 'e', '!'};
    f.push_back({10, "bpp32-5x3-v5", "32 bits, V5 header with masks and a profile", v5});
    BmpLayout column; // red, green, blue from the top
    column.bits = 24;
    column.width = 1;
    column.height = 3;
    column.pixels = {0xFF0000, 0x00FF00, 0x0000FF};
    f.push_back({11, "bpp24-1x3", "the 1 x 3 example: red, green, blue", column});
    BmpLayout pair; // left black (index 0), right white (index 1)
    pair.bits = 1;
    pair.width = 2;
    pair.height = 1;
    pair.pixels = {0, 1};
    f.push_back({12, "bpp1-2x1", "the 2 x 1 example: black, white", pair});
    f.push_back({13, "bpp1-33x2", "1 bit rows longer than 32 pixels", patterned(1, 33, 2)});
    auto wide4 = patterned(4, 9, 2);
    wide4.topDown = true;
    f.push_back({14, "bpp4-9x2-topdown", "4 bits, odd width, top-down", wide4});
    return f;
}

constexpr std::int32_t kRotations[] = {0, 900, 1800, 2700, 450};

std::filesystem::path goldenPath(const std::string& stem, std::int32_t rotation) {
    return std::filesystem::path(TAV_TEST_DATA) / "pictures" / "turn" /
           (stem + "-" + std::to_string(rotation) + ".bmp");
}

// Where the pixel at (c, r) of a w x h source lands.
std::pair<std::int32_t, std::int32_t> landing(std::int32_t rotation, std::int32_t c, std::int32_t r,
                                              std::int32_t h) {
    switch (rotation) {
    case 900:
        return {h - 1 - r, c};
    case 1800:
        return {c, h - 1 - r};
    case 2700:
        return {r, c};
    default:
        return {c, r};
    }
}

} // namespace

TEST(PictureTurn, MatchesGoldens) {
    for (const auto& f : fixtures()) {
        Bytes source = makeBmp(f.layout);
        for (std::int32_t rotation : kRotations) {
            SCOPED_TRACE("row " + std::to_string(f.row) + " (" + f.source + ") at " +
                         std::to_string(rotation));
            Bytes turned = tav::engine::turnPicture(source, rotation);
            tav::test::expectGolden(turned, goldenPath(f.name, rotation));
        }
    }
}

// The goldens are only as good as their review: every pixel is also checked against where the
// turn puts it (landing), and the header fields against what a turn swaps or keeps.
TEST(PictureTurn, MovesEveryPixelToWhereTheTurnPutsIt) {
    for (const auto& f : fixtures()) {
        Bytes source = makeBmp(f.layout);
        for (std::int32_t rotation : kRotations) {
            SCOPED_TRACE("row " + std::to_string(f.row) + " (" + f.source + ") at " +
                         std::to_string(rotation));
            Bytes turned = tav::engine::turnPicture(source, rotation);
            if (rotation == 0 || rotation == 450) {
                EXPECT_EQ(turned, source);
                continue;
            }
            ASSERT_GE(turned.size(), 54u);
            EXPECT_EQ(get32(turned, 2), turned.size());
            Seen in = readBmp(source);
            Seen out = readBmp(turned);
            bool quarter = rotation != 1800;
            EXPECT_EQ(out.width, quarter ? in.height : in.width);
            EXPECT_EQ(out.height, quarter ? in.width : in.height);
            EXPECT_EQ(out.topDown, in.topDown);
            for (std::int32_t r = 0; r < in.height; ++r)
                for (std::int32_t c = 0; c < in.width; ++c) {
                    auto [x, y] = landing(rotation, c, r, in.height);
                    ASSERT_EQ(out.at(x, y), in.at(c, r)) << "pixel " << c << "," << r;
                }
            // Bit depth, compression and the color table or masks travel unchanged.
            EXPECT_EQ(Bytes(turned.begin() + 28, turned.begin() + 34),
                      Bytes(source.begin() + 28, source.begin() + 34));
            std::size_t tableFrom = 14 + get32(source, 14);
            EXPECT_EQ(Bytes(turned.begin() + static_cast<std::ptrdiff_t>(tableFrom),
                            turned.begin() + get32(turned, 10)),
                      Bytes(source.begin() + static_cast<std::ptrdiff_t>(tableFrom),
                            source.begin() + get32(source, 10)));
            std::size_t xRes = quarter ? 42 : 38, yRes = quarter ? 38 : 42;
            EXPECT_EQ(get32(turned, 38), get32(source, xRes));
            EXPECT_EQ(get32(turned, 42), get32(source, yRes));
        }
    }
}

TEST(PictureTurn, SmallPicturesTurnPixelByPixelAndKeepTheirProfile) {
    auto all = fixtures();
    Seen column900 = readBmp(tav::engine::turnPicture(makeBmp(all[10].layout), 900));
    EXPECT_EQ(column900.pixels, (std::vector<std::uint32_t>{0x0000FF, 0x00FF00, 0xFF0000}));
    EXPECT_EQ(column900.width, 3);
    Seen column1800 = readBmp(tav::engine::turnPicture(makeBmp(all[10].layout), 1800));
    EXPECT_EQ(column1800.pixels, (std::vector<std::uint32_t>{0x0000FF, 0x00FF00, 0xFF0000}));
    EXPECT_EQ(column1800.height, 3);
    Seen column2700 = readBmp(tav::engine::turnPicture(makeBmp(all[10].layout), 2700));
    EXPECT_EQ(column2700.pixels, (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF}));
    Seen pair1800 = readBmp(tav::engine::turnPicture(makeBmp(all[11].layout), 1800));
    EXPECT_EQ(pair1800.pixels, (std::vector<std::uint32_t>{0, 1}));

    // The V5 profile moves behind the turned rows, and its offset follows it.
    Bytes v5 = tav::engine::turnPicture(makeBmp(all[9].layout), 900);
    std::size_t profileAt = 14 + get32(v5, 14 + 112);
    ASSERT_EQ(profileAt + 8, v5.size());
    EXPECT_EQ(std::string(v5.begin() + static_cast<std::ptrdiff_t>(profileAt), v5.end()),
              "profile!");
}

// An OS/2 BMP (12-byte core header: 16-bit sizes, bottom-up, three-byte color entries) of
// `bits` per pixel with the given stored values, and its reading back.
Bytes makeCoreBmp(std::uint32_t bits, std::uint16_t width, std::uint16_t height,
                  const std::vector<std::uint32_t>& pixels) {
    const std::uint32_t entries = bits <= 8 ? 1u << bits : 0;
    const std::uint32_t offset = 14 + 12 + entries * 3;
    const std::size_t stride = strideOf(width, bits);
    Bytes b{'B', 'M'};
    put32(b, offset + static_cast<std::uint32_t>(stride * height));
    put32(b, 0);
    put32(b, offset);
    put32(b, 12);
    put16(b, width);
    put16(b, height);
    put16(b, 1);
    put16(b, bits);
    for (std::uint32_t i = 0; i < entries; ++i) { // blue, green, red: a ramp
        b.push_back(static_cast<std::uint8_t>(i));
        b.push_back(static_cast<std::uint8_t>(255 - i));
        b.push_back(static_cast<std::uint8_t>(i * 3));
    }
    BmpLayout rows = patterned(bits, width, height);
    rows.pixels = pixels;
    const Bytes info = makeBmp(rows); // the same rows, behind a 40-byte header
    b.insert(b.end(), info.begin() + get32(info, 10), info.end());
    return b;
}

Seen readCoreBmp(const Bytes& b) {
    // The rows are read as a 40-byte header's would be: give the reader one.
    Bytes info = b;
    const auto width = static_cast<std::uint32_t>(b[18] | b[19] << 8);
    const auto height = static_cast<std::uint32_t>(b[20] | b[21] << 8);
    const auto bits = static_cast<std::uint32_t>(b[24] | b[25] << 8);
    info.resize(14 + 40);
    for (int i = 0; i < 4; ++i) {
        info[18 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(width >> (8 * i));
        info[22 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(height >> (8 * i));
        info[10 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(54u >> (8 * i));
    }
    info[28] = static_cast<std::uint8_t>(bits);
    info[29] = 0;
    info.insert(info.end(), b.begin() + get32(b, 10), b.end());
    return readBmp(info);
}

TEST(PictureTurn, TurnsOs2CoreBitmaps) {
    for (std::uint32_t bits : {1u, 4u, 8u, 24u}) {
        const Bytes source = makeCoreBmp(bits, 5, 3, pattern(bits, 5, 3));
        const Seen in = readCoreBmp(source);
        for (std::int32_t rotation : {900, 1800, 2700}) {
            SCOPED_TRACE(std::to_string(bits) + " bits at " + std::to_string(rotation));
            const Bytes turned = tav::engine::turnPicture(source, rotation);
            ASSERT_NE(turned, source);
            ASSERT_EQ(get32(turned, 14), 12u);
            EXPECT_EQ(get32(turned, 2), turned.size());
            // Planes, bit count and color table travel unchanged.
            EXPECT_EQ(Bytes(turned.begin() + 22, turned.begin() + get32(turned, 10)),
                      Bytes(source.begin() + 22, source.begin() + get32(source, 10)));
            const Seen out = readCoreBmp(turned);
            const bool quarter = rotation != 1800;
            EXPECT_EQ(out.width, quarter ? 3 : 5);
            EXPECT_EQ(out.height, quarter ? 5 : 3);
            for (std::int32_t r = 0; r < in.height; ++r)
                for (std::int32_t c = 0; c < in.width; ++c) {
                    auto [x, y] = landing(rotation, c, r, in.height);
                    ASSERT_EQ(out.at(x, y), in.at(c, r)) << "pixel " << c << "," << r;
                }
        }
    }
}

// A picture the decoder would refuse is not turned: a one-row one-bit picture one pixel wider
// than the decoder takes would grow from 5 MB to 160 MB.
TEST(PictureTurn, LeavesPicturesTheDecoderRefusesUnturned) {
    constexpr std::uint32_t kWidth = tav::platform::kMaxDecodedPixels + 1;
    Bytes wide = makeBmp(patterned(1, 8, 1));
    for (int i = 0; i < 4; ++i)
        wide[18 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(kWidth >> (8 * i));
    wide.resize(get32(wide, 10) + strideOf(kWidth, 1), 0);
    tav::test::resetLargestAllocation();
    EXPECT_EQ(tav::engine::turnPicture(wide, 900), wide);
    EXPECT_LE(tav::test::largestAllocation(), wide.size() + 64);
}

// Whatever is not a turnable BMP, or claims more than its bytes hold, comes back unchanged and
// without an allocation of what the header claims.
TEST(PictureTurn, LeavesOtherBytesUnchanged) {
    Bytes good = makeBmp(patterned(24, 5, 3));
    auto patch = [&](std::size_t at, std::uint32_t value) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        return b;
    };
    auto patch16 = [&](std::size_t at, std::uint16_t value) {
        Bytes b = good;
        b[at] = static_cast<std::uint8_t>(value);
        b[at + 1] = static_cast<std::uint8_t>(value >> 8);
        return b;
    };
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                       0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
    struct Row {
        int row;
        const char* source;
        Bytes bytes;
    };
    const Row rows[] = {
        {1, "empty", {}},
        {2, "a PNG file", png},
        {3, "a JPEG file", jpeg},
        {4, "wrong magic", patch16(0, 0x4142)},
        {5, "cut inside the information header", Bytes(good.begin(), good.begin() + 30)},
        {6, "cut inside the rows", Bytes(good.begin(), good.end() - 1)},
        {7, "OS/2 core header", patch(14, 12)},
        {8, "unknown header size", patch(14, 64)},
        {9, "2 bits per pixel", patch16(28, 2)},
        {10, "RLE8 compression", patch(30, 1)},
        {11, "bitfields on 24 bits", patch(30, 3)},
        {12, "zero width", patch(18, 0)},
        {13, "negative width", patch(18, 0xFFFFFFFB)},
        {14, "zero height", patch(22, 0)},
        {15, "height INT32_MIN", patch(22, 0x80000000)},
        {16, "claims 100000 x 100000 pixels", patch(22, 100000)},
        {17, "width 2^31-1 over three rows", patch(18, 0x7FFFFFFF)},
        {18, "both dimensions at their maximum: overflows 64 bits",
         [&] {
             Bytes b = patch(18, 0x7FFFFFFF);
             for (int i = 0; i < 4; ++i)
                 b[22 + static_cast<std::size_t>(i)] = i == 3 ? 0x7F : 0xFF;
             return b;
         }()},
        {19, "bit offset past the end", patch(10, 100000)},
        {20, "bit offset inside the header", patch(10, 20)},
        {21, "color table larger than the file", patch(46, 0x40000000)},
    };
    for (const auto& r : rows) {
        for (std::int32_t rotation : {900, 1800, 2700}) {
            SCOPED_TRACE("row " + std::to_string(r.row) + ": " + r.source + " at " +
                         std::to_string(rotation));
            tav::test::resetLargestAllocation();
            EXPECT_EQ(tav::engine::turnPicture(r.bytes, rotation), r.bytes);
            EXPECT_LE(tav::test::largestAllocation(), r.bytes.size() + 64);
        }
    }
    // A 1-bit single row turns into many 4-byte rows: the only case where the result grows much.
    BmpLayout row = patterned(1, 256, 1);
    tav::test::resetLargestAllocation();
    Bytes turned = tav::engine::turnPicture(makeBmp(row), 900);
    EXPECT_EQ(turned.size(), 14 + 40 + 8 + 256 * 4u);
    EXPECT_LE(tav::test::largestAllocation(), turned.size());
}
