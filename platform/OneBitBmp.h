// Decoding the one-bit BMPs that barcodes and QR codes are made as, directly: a general image
// library would spend most of a label's time turning them into full color and back.
#pragma once

#include "platform/ImageCodec.h"

namespace tav::platform {

// The picture of an uncompressed one-bit BMP of at most two colors, with its plane; nothing for
// any other bytes, which are left to the general decoder, and for a header that claims more pixels
// than `maxPixels` or than its bytes hold.
std::optional<DecodedImage> decodeOneBitBmp(std::span<const std::uint8_t> bytes,
                                            std::uint64_t maxPixels);

} // namespace tav::platform
