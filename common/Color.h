// Colors as the templates store them: Windows' COLORREF layout, 0x00BBGGRR. The renderer's
// canvases and the designer's widgets convert through these, so the layout is written once.
#pragma once

#include <cstdint>

namespace tav {

using ColorRef = std::int32_t;

inline constexpr std::uint8_t redOf(ColorRef c) {
    return static_cast<std::uint8_t>(c & 0xFF);
}
inline constexpr std::uint8_t greenOf(ColorRef c) {
    return static_cast<std::uint8_t>((c >> 8) & 0xFF);
}
inline constexpr std::uint8_t blueOf(ColorRef c) {
    return static_cast<std::uint8_t>((c >> 16) & 0xFF);
}

// The COLORREF of red, green and blue channels (each 0..255).
inline constexpr ColorRef colorRefOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<ColorRef>(red | green << 8 | blue << 16);
}

} // namespace tav
