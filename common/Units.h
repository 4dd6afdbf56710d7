// The units and sizes the templates, the renderer, the designer and the libraries share, so that
// each number has one home.
#pragma once

#include <cstdint>

namespace tav {

// Templates measure lengths in tenths of a millimetre: 254 of them to the inch.
inline constexpr int kUnitsPerInch = 254;

// The edge of a QR picture in pixels when nothing else is asked for: what an element with a
// qrSize below 1 gets, what the designer's QR tool and the .lab import give new QR codes, and
// the QR library's own picture size.
inline constexpr std::int32_t kDefaultQrSize = 256;

// The thickness, in units, the designer gives horizontal and vertical lines (the height of a
// horizontal line's box, the width of a vertical one's). The renderer draws such a line
// through the middle of that thickness, kLineCenterOffset below the top (right of the left
// edge) of its box, whatever size the box has.
inline constexpr std::int32_t kLineThickness = 10;
inline constexpr std::int32_t kLineCenterOffset = kLineThickness / 2;

} // namespace tav
