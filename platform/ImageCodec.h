// Decoding picture files (BMP, JPEG, PNG, GIF, TIFF) into pixels for the renderer.
#pragma once

#include "platform/OneBitPicture.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tav::platform {

struct DecodedImage {
    int width = 0;
    int height = 0;
    // Row by row from the top, width * height values of 0xAARRGGBB, not premultiplied; fully
    // opaque (alpha 0xFF) when the picture has no transparency. Empty when the picture is held
    // as a one-bit plane instead (below): argbPixels() gives the pixels of either.
    std::vector<std::uint32_t> argb;
    // Some pixel is not fully opaque.
    bool hasAlpha = false;
    // The file stored one bit per pixel (a 1-bit BMP, PNG or TIFF, or a GIF with a two-color
    // table): barcodes, QR codes and line art, to be scaled without interpolation.
    bool oneBit = false;

    // An uncompressed one-bit BMP (every barcode and QR code the engine makes) is held as its
    // bits, so that a device can take them as they are: a set bit shows colors[1], a clear bit
    // colors[0], whichever of them the file's palette put first.
    struct OneBitPlane : OneBitPicture {
        std::uint32_t colors[2] = {}; // 0xFFRRGGBB
    };
    std::optional<OneBitPlane> plane;
};

// The pixels of `image` as described for `argb`, expanded from the plane when it has one.
std::vector<std::uint32_t> argbPixels(const DecodedImage& image);

// Pictures above this many pixels are refused: 40 million holds an A4 page at 600 dpi
// (4960 x 7016) and an 8000 x 5000 photo, and costs 160 MB once decoded.
inline constexpr std::uint64_t kMaxDecodedPixels = 40'000'000;

// Decodes the first picture of `bytes`, recognised by its signature: BMP, JPEG, PNG, GIF or
// TIFF; any other format gives nothing. Nothing also for a damaged or truncated file, for a
// picture of more than `maxPixels` pixels, and for a BMP whose header claims more pixels than
// its bytes hold; such sizes are refused before anything of their size is allocated.
std::optional<DecodedImage> decodeImage(std::span<const std::uint8_t> bytes,
                                        std::uint64_t maxPixels = kMaxDecodedPixels);

} // namespace tav::platform
