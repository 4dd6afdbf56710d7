#include "platform/OneBitBmp.h"

#include "platform/Bmp.h"

#include <cstring>

namespace tav::platform {

std::optional<DecodedImage> decodeOneBitBmp(std::span<const std::uint8_t> bytes,
                                            std::uint64_t maxPixels) {
    const auto header = readBmpHeader(bytes);
    if (!header || header->bitsPerPixel != 1 || header->compression != BmpCompression::Rgb ||
        header->colors > 2 || header->planes != 1 ||
        std::uint64_t{header->width} * header->height > maxPixels)
        return std::nullopt;

    DecodedImage image;
    image.width = static_cast<int>(header->width);
    image.height = static_cast<int>(header->height);
    image.oneBit = true;
    DecodedImage::OneBitPlane plane;
    plane.colors[0] = header->color(bytes, 0);
    plane.colors[1] = header->colors == 1 ? plane.colors[0] : header->color(bytes, 1);
    plane.width = header->width;
    plane.height = header->height;
    plane.stride = header->stride;
    plane.bits.resize(plane.stride * plane.height);
    for (std::uint32_t y = 0; y < plane.height; ++y)
        std::memcpy(plane.row(y), bytes.data() + header->rowAt(y), plane.stride);
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
        const std::uint8_t* in = plane.bits.data() + static_cast<std::size_t>(row) * plane.stride;
        for (int x = 0; x < image.width; ++x)
            *pixel++ = plane.colors[(in[x >> 3] >> (7 - (x & 7))) & 1];
    }
    return out;
}

} // namespace tav::platform
