#include "platform/OneBitBmp.h"

#include <cstring>
#include <limits>

namespace tav::platform {
namespace {

std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

} // namespace

std::optional<DecodedImage> decodeOneBitBmp(std::span<const std::uint8_t> bytes,
                                            std::uint64_t maxPixels) {
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return std::nullopt;
    const std::uint32_t offset = u32(bytes, 10);
    const std::uint32_t headerSize = u32(bytes, 14);
    const auto width = static_cast<std::int32_t>(u32(bytes, 18));
    const auto rawHeight = static_cast<std::int32_t>(u32(bytes, 22));
    if (headerSize < 40 || headerSize > 124 || u16(bytes, 26) != 1 || u16(bytes, 28) != 1 ||
        u32(bytes, 30) != 0 || width <= 0 || rawHeight == 0 ||
        rawHeight == std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    const std::uint32_t coloursUsed = u32(bytes, 46);
    const std::uint64_t paletteAt = 14ull + headerSize;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) + 31) / 32 * 4;
    if (pixels > maxPixels || coloursUsed > 2 || paletteAt + 8 > bytes.size() ||
        offset < paletteAt + (coloursUsed == 1 ? 4 : 8) ||
        offset + stride * static_cast<std::uint64_t>(height) > bytes.size())
        return std::nullopt;

    DecodedImage image;
    image.width = width;
    image.height = static_cast<int>(height);
    image.oneBit = true;
    auto colour = [&](int index) {
        const std::uint64_t at = paletteAt + 4ull * static_cast<unsigned>(index);
        return 0xFF000000u | static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
               static_cast<std::uint32_t>(bytes[at + 1]) << 8 | bytes[at];
    };
    DecodedImage::OneBitPlane plane;
    plane.colours[0] = colour(0);
    plane.colours[1] = coloursUsed == 1 ? plane.colours[0] : colour(1);
    plane.stride = static_cast<int>(stride);
    plane.bits.resize(stride * static_cast<std::uint64_t>(height));
    for (std::int64_t row = 0; row < height; ++row) {
        const std::int64_t stored = topDown ? row : height - 1 - row;
        std::memcpy(plane.bits.data() + stride * static_cast<std::uint64_t>(row),
                    bytes.data() + offset + stride * static_cast<std::uint64_t>(stored), stride);
    }
    image.plane = std::move(plane);
    return image;
}

std::vector<std::uint32_t> argbPixels(const DecodedImage& image) {
    if (!image.plane || !image.argb.empty())
        return image.argb;
    const auto& plane = *image.plane;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(image.width) *
                                   static_cast<std::size_t>(image.height));
    std::uint32_t* pixel = out.data();
    for (int row = 0; row < image.height; ++row) {
        const std::uint8_t* in = plane.bits.data() + static_cast<std::size_t>(row) *
                                                         static_cast<std::size_t>(plane.stride);
        for (int x = 0; x < image.width; ++x)
            *pixel++ = plane.colours[(in[x >> 3] >> (7 - (x & 7))) & 1];
    }
    return out;
}

} // namespace tav::platform
