#include "printengine/PictureTurn.h"

#include "platform/Bmp.h"
#include "platform/ImageCodec.h"
#include "platform/LittleEndian.h"

#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>

namespace tav::engine {
namespace {

using platform::BmpHeader;
using platform::kBmpFileHeaderSize;
using platform::readLe32;
using platform::writeLe32;

constexpr std::uint32_t kProfileLinked = 0x4C494E4B;   // 'LINK'
constexpr std::uint32_t kProfileEmbedded = 0x4D424544; // 'MBED'

// Offsets inside the information header.
constexpr std::size_t kCoreWidthAt = 4;
constexpr std::size_t kCoreHeightAt = 6;
constexpr std::size_t kWidthAt = 4;
constexpr std::size_t kHeightAt = 8;
constexpr std::size_t kImageSizeAt = 20;
constexpr std::size_t kXResolutionAt = 24;
constexpr std::size_t kYResolutionAt = 28;
constexpr std::size_t kColorSpaceAt = 56;
constexpr std::size_t kProfileDataAt = 112;
constexpr std::size_t kProfileSizeAt = 116;

// The fields of an information header (40 bytes or longer) that a turn changes.
void writeInfoFields(std::span<const std::uint8_t> source, std::uint8_t* info, std::uint32_t width,
                     std::uint32_t height, std::uint64_t pixelBytes, bool topDown, bool quarter) {
    writeLe32(info + kWidthAt, width);
    auto signedHeight = static_cast<std::int32_t>(height);
    writeLe32(info + kHeightAt, static_cast<std::uint32_t>(topDown ? -signedHeight : signedHeight));
    writeLe32(info + kImageSizeAt, static_cast<std::uint32_t>(pixelBytes));
    if (quarter) {
        writeLe32(info + kXResolutionAt, readLe32(source, kBmpFileHeaderSize + kYResolutionAt));
        writeLe32(info + kYResolutionAt, readLe32(source, kBmpFileHeaderSize + kXResolutionAt));
    }
}

// A turnable BMP: its header, and the V5 colour profile that moves behind the rows.
struct BmpLayout {
    BmpHeader header;
    std::size_t profileOffset = 0; // from the start of the file; 0 without a profile to move
    std::size_t profileSize = 0;
};

std::optional<BmpLayout> readLayout(std::span<const std::uint8_t> bmp) {
    const auto header = platform::readBmpHeader(bmp);
    // RLE rows cannot be turned in place; the OS/2 2.x header numbers its compressions
    // differently. A picture the decoder would refuse is not worth turning: that bounds what a
    // turn allocates (a one-row one-bit picture grows 32 times) by what a decodable one needs.
    if (!header || header->isRle() || header->infoSize == 64 ||
        std::uint64_t{header->width} * header->height > platform::kMaxDecodedPixels)
        return std::nullopt;
    BmpLayout layout{*header};
    if (header->infoSize == 124) {
        auto info = bmp.subspan(kBmpFileHeaderSize, header->infoSize);
        auto space = readLe32(info, kColorSpaceAt);
        std::uint64_t profileSize = readLe32(info, kProfileSizeAt);
        if ((space == kProfileEmbedded || space == kProfileLinked) && profileSize > 0) {
            std::uint64_t offset =
                kBmpFileHeaderSize + std::uint64_t{readLe32(info, kProfileDataAt)};
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
void movePixels(const BmpHeader& in, const std::uint8_t* sourceBits, std::uint8_t* targetBits,
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
    const BmpHeader& in = layout->header;

    bool quarter = rotation != 1800;
    std::uint32_t width = quarter ? in.height : in.width;
    std::uint32_t height = quarter ? in.width : in.height;
    std::uint64_t stride = platform::bmpRowStride(width, in.bitsPerPixel);
    std::uint64_t headBytes = in.coloursAt + std::uint64_t{in.colours} * in.entrySize;
    std::uint64_t pixelBytes = stride * height; // at most 32 times the source's pixel bytes
    std::uint64_t fileSize = headBytes + pixelBytes + layout->profileSize;
    // The turned picture must still be describable by a BMP header.
    if (fileSize > std::numeric_limits<std::uint32_t>::max() ||
        height > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return unchanged();

    std::vector<std::uint8_t> out(static_cast<std::size_t>(fileSize), 0);
    out[0] = 'B';
    out[1] = 'M';
    writeLe32(out.data() + 2, static_cast<std::uint32_t>(fileSize));
    writeLe32(out.data() + 10, static_cast<std::uint32_t>(headBytes));
    // The information header, masks and colour table as they were.
    std::memcpy(out.data() + kBmpFileHeaderSize, source.data() + kBmpFileHeaderSize,
                static_cast<std::size_t>(headBytes) - kBmpFileHeaderSize);

    std::uint8_t* info = out.data() + kBmpFileHeaderSize;
    if (in.isCore()) { // 16-bit sizes, bottom-up, and no other field that changes
        platform::writeLe16(info + kCoreWidthAt, width);
        platform::writeLe16(info + kCoreHeightAt, height);
    } else {
        writeInfoFields(source, info, width, height, pixelBytes, in.topDown, quarter);
    }
    if (layout->profileSize > 0) {
        // The profile's offset counts from the start of the information header.
        auto profileAt = static_cast<std::size_t>(headBytes + pixelBytes);
        std::memcpy(out.data() + profileAt, source.data() + layout->profileOffset,
                    layout->profileSize);
        writeLe32(info + kProfileDataAt,
                  static_cast<std::uint32_t>(profileAt - kBmpFileHeaderSize));
    }

    const std::uint8_t* sourceBits = source.data() + in.bitsOffset;
    std::uint8_t* targetBits = out.data() + headBytes;
    auto move = [&](auto bits) {
        movePixels<decltype(bits)::value>(
            in, sourceBits, targetBits, static_cast<std::size_t>(stride), width, height, rotation);
    };
    switch (in.bitsPerPixel) {
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
