#include "printengine/PictureTurn.h"

#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>

namespace tav::engine {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::uint32_t kProfileLinked = 0x4C494E4B;   // 'LINK'
constexpr std::uint32_t kProfileEmbedded = 0x4D424544; // 'MBED'

// Offsets inside the information header.
constexpr std::size_t kWidthAt = 4;
constexpr std::size_t kHeightAt = 8;
constexpr std::size_t kBitCountAt = 14;
constexpr std::size_t kCompressionAt = 16;
constexpr std::size_t kImageSizeAt = 20;
constexpr std::size_t kXResolutionAt = 24;
constexpr std::size_t kYResolutionAt = 28;
constexpr std::size_t kColorsUsedAt = 32;
constexpr std::size_t kColorSpaceAt = 56;
constexpr std::size_t kProfileDataAt = 112;
constexpr std::size_t kProfileSizeAt = 116;

std::uint32_t readLe32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t readLe16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

void writeLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t rowStride(std::uint64_t width, std::uint32_t bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// Where everything of a turnable BMP lies; every range has been checked against the bytes.
struct BmpLayout {
    std::size_t infoSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    std::uint32_t bitsPerPixel = 0;
    std::size_t tableBytes = 0; // colour table and bitfield masks after the information header
    std::size_t bitsOffset = 0;
    std::size_t stride = 0;
    std::size_t profileOffset = 0; // from the start of the file; 0 without a profile to move
    std::size_t profileSize = 0;
};

std::optional<BmpLayout> readLayout(std::span<const std::uint8_t> bmp) {
    if (bmp.size() < kFileHeaderSize + 40 || bmp[0] != 'B' || bmp[1] != 'M')
        return std::nullopt;
    BmpLayout layout;
    layout.infoSize = readLe32(bmp, kFileHeaderSize);
    // BITMAPINFOHEADER and its V2, V3, V4 and V5 extensions share the first 40 bytes.
    if (layout.infoSize != 40 && layout.infoSize != 52 && layout.infoSize != 56 &&
        layout.infoSize != 108 && layout.infoSize != 124)
        return std::nullopt;
    if (bmp.size() < kFileHeaderSize + layout.infoSize)
        return std::nullopt;
    auto info = bmp.subspan(kFileHeaderSize, layout.infoSize);

    auto width = static_cast<std::int32_t>(readLe32(info, kWidthAt));
    auto height = static_cast<std::int32_t>(readLe32(info, kHeightAt));
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    layout.width = static_cast<std::uint32_t>(width);
    layout.topDown = height < 0;
    layout.height = static_cast<std::uint32_t>(height < 0 ? -height : height);

    layout.bitsPerPixel = readLe16(info, kBitCountAt);
    auto compression = readLe32(info, kCompressionAt);
    std::uint64_t masks = 0;
    switch (layout.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (compression != kBiRgb)
            return std::nullopt;
        break;
    case 16:
    case 32:
        if (compression == kBiBitfields && layout.infoSize == 40)
            masks = 12;
        else if (compression == kBiAlphaBitfields && layout.infoSize == 40)
            masks = 16;
        else if (compression != kBiRgb && compression != kBiBitfields &&
                 compression != kBiAlphaBitfields)
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    std::uint64_t colors = readLe32(info, kColorsUsedAt);
    if (colors == 0 && layout.bitsPerPixel <= 8)
        colors = std::uint64_t{1} << layout.bitsPerPixel;

    std::uint64_t tableStart = kFileHeaderSize + layout.infoSize;
    std::uint64_t tableBytes = masks + colors * 4;
    std::uint64_t bitsOffset = readLe32(bmp, 10);
    if (tableStart + tableBytes > bitsOffset || bitsOffset > bmp.size())
        return std::nullopt;
    layout.tableBytes = static_cast<std::size_t>(tableBytes);
    layout.bitsOffset = static_cast<std::size_t>(bitsOffset);

    // Divide rather than multiply: width and height may be anything a header can claim.
    std::uint64_t available = bmp.size() - bitsOffset;
    std::uint64_t stride = rowStride(layout.width, layout.bitsPerPixel);
    if (stride > available || layout.height > available / stride)
        return std::nullopt;
    layout.stride = static_cast<std::size_t>(stride);

    if (layout.infoSize == 124) {
        auto space = readLe32(info, kColorSpaceAt);
        std::uint64_t profileSize = readLe32(info, kProfileSizeAt);
        if ((space == kProfileEmbedded || space == kProfileLinked) && profileSize > 0) {
            std::uint64_t offset = kFileHeaderSize + std::uint64_t{readLe32(info, kProfileDataAt)};
            if (offset + profileSize > bmp.size())
                return std::nullopt;
            layout.profileOffset = static_cast<std::size_t>(offset);
            layout.profileSize = static_cast<std::size_t>(profileSize);
        }
    }
    return layout;
}

// The stored row that shows picture row `r` (row 0 at the top).
template <typename Byte>
Byte* rowAt(Byte* bits, std::size_t stride, std::uint32_t height, bool topDown, std::uint32_t r) {
    return bits + (topDown ? r : height - 1 - r) * stride;
}

template <std::uint32_t Bits> std::uint32_t getPixel(const std::uint8_t* row, std::uint32_t c) {
    if constexpr (Bits < 8) {
        constexpr std::uint32_t perByte = 8 / Bits;
        auto shift = 8 - Bits * (c % perByte + 1);
        return (row[c / perByte] >> shift) & ((1u << Bits) - 1);
    } else {
        std::uint32_t value = 0;
        std::memcpy(&value, row + std::size_t{c} * (Bits / 8), Bits / 8);
        return value;
    }
}

template <std::uint32_t Bits>
void setPixel(std::uint8_t* row, std::uint32_t c, std::uint32_t value) {
    if constexpr (Bits < 8) {
        constexpr std::uint32_t perByte = 8 / Bits;
        auto shift = 8 - Bits * (c % perByte + 1);
        auto& byte = row[c / perByte];
        byte = static_cast<std::uint8_t>((byte & ~(((1u << Bits) - 1) << shift)) | value << shift);
    } else {
        std::memcpy(row + std::size_t{c} * (Bits / 8), &value, Bits / 8);
    }
}

// Moves every pixel to its place in the turned picture (width and height of the turned one).
template <std::uint32_t Bits>
void movePixels(const BmpLayout& in, const std::uint8_t* sourceBits, std::uint8_t* targetBits,
                std::size_t targetStride, std::uint32_t targetWidth, std::uint32_t targetHeight,
                std::int32_t rotation) {
    auto sourceRow = [&](std::uint32_t r) {
        return rowAt(sourceBits, in.stride, in.height, in.topDown, r);
    };
    for (std::uint32_t y = 0; y < targetHeight; ++y) {
        std::uint8_t* out = rowAt(targetBits, targetStride, targetHeight, in.topDown, y);
        if (rotation == 1800) {
            const std::uint8_t* from = sourceRow(in.height - 1 - y);
            for (std::uint32_t x = 0; x < targetWidth; ++x)
                setPixel<Bits>(out, x, getPixel<Bits>(from, x));
            continue;
        }
        // Quarter turns: target column x comes from source row H-1-x (900) or x (2700), and
        // every target row y from source column y.
        for (std::uint32_t x = 0; x < targetWidth; ++x) {
            std::uint32_t r = rotation == 900 ? in.height - 1 - x : x;
            setPixel<Bits>(out, x, getPixel<Bits>(sourceRow(r), y));
        }
    }
}

} // namespace

std::vector<std::uint8_t> turnPicture(std::span<const std::uint8_t> source, std::int32_t rotation) {
    auto unchanged = [source] { return std::vector<std::uint8_t>(source.begin(), source.end()); };
    if (rotation != 900 && rotation != 1800 && rotation != 2700)
        return unchanged();
    auto layout = readLayout(source);
    if (!layout)
        return unchanged();

    bool quarter = rotation != 1800;
    std::uint32_t width = quarter ? layout->height : layout->width;
    std::uint32_t height = quarter ? layout->width : layout->height;
    std::uint64_t stride = rowStride(width, layout->bitsPerPixel);
    std::uint64_t headBytes = kFileHeaderSize + layout->infoSize + layout->tableBytes;
    std::uint64_t pixelBytes = stride * height; // at most 32 times the source's pixel bytes
    std::uint64_t fileSize = headBytes + pixelBytes + layout->profileSize;
    // The turned picture must still be describable by a BMP header.
    if (fileSize > std::numeric_limits<std::uint32_t>::max() ||
        height > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return unchanged();

    std::vector<std::uint8_t> out(static_cast<std::size_t>(fileSize), 0);
    out[0] = 'B';
    out[1] = 'M';
    writeLe32(out, 2, static_cast<std::uint32_t>(fileSize));
    writeLe32(out, 10, static_cast<std::uint32_t>(headBytes));
    std::memcpy(out.data() + kFileHeaderSize, source.data() + kFileHeaderSize, layout->infoSize);
    std::memcpy(out.data() + kFileHeaderSize + layout->infoSize,
                source.data() + kFileHeaderSize + layout->infoSize, layout->tableBytes);

    std::size_t info = kFileHeaderSize;
    writeLe32(out, info + kWidthAt, width);
    auto signedHeight = static_cast<std::int32_t>(height);
    writeLe32(out, info + kHeightAt,
              static_cast<std::uint32_t>(layout->topDown ? -signedHeight : signedHeight));
    writeLe32(out, info + kImageSizeAt, static_cast<std::uint32_t>(pixelBytes));
    if (quarter) {
        writeLe32(out, info + kXResolutionAt, readLe32(source, info + kYResolutionAt));
        writeLe32(out, info + kYResolutionAt, readLe32(source, info + kXResolutionAt));
    }
    if (layout->profileSize > 0) {
        // The profile's offset counts from the start of the information header.
        auto profileAt = static_cast<std::size_t>(headBytes + pixelBytes);
        std::memcpy(out.data() + profileAt, source.data() + layout->profileOffset,
                    layout->profileSize);
        writeLe32(out, info + kProfileDataAt, static_cast<std::uint32_t>(profileAt - info));
    }

    const std::uint8_t* sourceBits = source.data() + layout->bitsOffset;
    std::uint8_t* targetBits = out.data() + headBytes;
    auto move = [&](auto bits) {
        movePixels<decltype(bits)::value>(*layout, sourceBits, targetBits,
                                          static_cast<std::size_t>(stride), width, height,
                                          rotation);
    };
    switch (layout->bitsPerPixel) {
    case 1:
        move(std::integral_constant<std::uint32_t, 1>{});
        break;
    case 4:
        move(std::integral_constant<std::uint32_t, 4>{});
        break;
    case 8:
        move(std::integral_constant<std::uint32_t, 8>{});
        break;
    case 16:
        move(std::integral_constant<std::uint32_t, 16>{});
        break;
    case 24:
        move(std::integral_constant<std::uint32_t, 24>{});
        break;
    default:
        move(std::integral_constant<std::uint32_t, 32>{});
        break;
    }
    return out;
}

} // namespace tav::engine
