#include "printengine/PictureTurn.h"

#include "platform/Bmp.h"
#include "platform/ImageCodec.h"

#include <cstring>
#include <optional>
#include <type_traits>

namespace tav::engine {
namespace {

using platform::BmpHeader;

// A turnable BMP: its header, and the V5 color profile that moves behind the rows.
struct BmpLayout {
    BmpHeader header;
    platform::BmpProfile profile;
};

std::optional<BmpLayout> readLayout(std::span<const std::uint8_t> bmp) {
    const auto header = platform::readBmpHeader(bmp);
    // RLE rows cannot be turned in place; the OS/2 2.x header numbers its compressions
    // differently. A picture the decoder would refuse is not worth turning: that bounds what a
    // turn allocates (a one-row one-bit picture grows 32 times) by what a decodable one needs.
    if (!header || header->isRle() || header->infoSize == 64 ||
        std::uint64_t{header->width} * header->height > platform::kMaxDecodedPixels)
        return std::nullopt;
    const auto profile = platform::readBmpProfile(bmp, *header);
    if (!profile)
        return std::nullopt;
    return BmpLayout{*header, *profile};
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
    // The turned picture must still be describable by a BMP header; its pixel bytes are at most
    // 32 times the source's.
    const auto copy = platform::planBmpCopy(in, layout->profile, width, height, quarter);
    if (!copy)
        return unchanged();

    std::vector<std::uint8_t> out(static_cast<std::size_t>(copy->fileSize), 0);
    platform::writeBmpCopyHead(source, in, layout->profile, *copy, out);
    const std::uint64_t stride = platform::bmpRowStride(width, in.bitsPerPixel);

    const std::uint8_t* sourceBits = source.data() + in.bitsOffset;
    std::uint8_t* targetBits = out.data() + copy->headSize;
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
