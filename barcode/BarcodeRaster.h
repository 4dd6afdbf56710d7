// The drawing of a barcode's element widths on a one-bit picture, and its quarter turn.
#pragma once

#include "platform/OneBitPicture.h"

#include <cstdint>
#include <string_view>

namespace tav::barcode {

// Geometry of the barcode picture.
inline constexpr std::uint32_t kModulePixels = 3;
inline constexpr std::uint32_t kMarginPixels = 2;
inline constexpr std::uint32_t kBarcodeHeight = 112;
inline constexpr std::uint32_t kFirstBarRow = 1;
inline constexpr std::uint32_t kLastBarRow = 110;

// Draws an element-width string: 3-pixel modules from column 2, bars (ink) on rows 1 to 110,
// background everywhere else. False when the picture would be too large for a BMP file.
bool renderBarcode(std::string_view widths, platform::OneBitPicture& picture);

// `rotated` becomes `source` turned 90 degrees clockwise: the pixel at column x, row y of the
// source lands at column height - 1 - y, row x. False when too large for a BMP file.
bool rotateClockwise(const platform::OneBitPicture& source, platform::OneBitPicture& rotated);

} // namespace tav::barcode
