// Turning the BMP pictures of barcode, QR code and picture elements by the element's rotation.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tav::engine {

// The picture `source` turned by `rotation` (tenths of a degree), as BMP file bytes:
//   900   a quarter turn clockwise: the pixel at (c, r) goes to (H-1-r, c), size H x W;
//   1800  the rows in reverse order, a mirror image top to bottom (not a half turn);
//   2700  the quarter turn mirrored left to right: (c, r) goes to (r, c), size H x W.
// Coordinates count from the top-left pixel as the picture is seen. Stored values move as they
// are (palette indices stay indices), so bit depth, color table and bitfield masks are kept.
//
// Turned: uncompressed BMPs (BI_RGB) of 1, 4, 8, 16, 24 and 32 bits per pixel, and BI_BITFIELDS
// or BI_ALPHABITFIELDS ones of 16 and 32, with a BITMAPINFOHEADER or a V2 to V5 header, stored
// bottom-up or top-down, and OS/2 core-header BMPs of 1, 4, 8 and 24 bits. The result keeps the
// source's header and row order, with width, height and image size set anew, the resolutions
// swapped by a quarter turn, and a V5 color profile moved behind the rows.
//
// Everything else comes back as an unchanged copy: rotation 0 or any value but the three above,
// bytes that are not a BMP (JPEG, PNG, ...), compressed BMPs (RLE, embedded JPEG or PNG), OS/2
// 2.x headers, pictures of more pixels than the decoder takes (platform::kMaxDecodedPixels), and
// headers that are damaged: dimensions that are not positive, rows or a color table that the
// bytes do not hold. Nothing is allocated before the source is known to hold every pixel it
// claims.
std::vector<std::uint8_t> turnPicture(std::span<const std::uint8_t> source, std::int32_t rotation);

} // namespace tav::engine
