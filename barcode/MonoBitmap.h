// A 1-bit picture held the way a BMP file stores its pixels, and the drawing of a barcode on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tav::barcode {

// Rows are kept top-down, each `stride()` bytes long (a multiple of four); within a byte the
// most significant bit is the leftmost pixel. A set bit is white (palette index 1), a clear bit
// black (index 0). Bits past the right edge are always clear.
class MonoBitmap {
public:
    // Makes the bitmap `width` x `height`, all white, reusing the memory it already has. False
    // (and an empty bitmap) when a BMP file could not describe a picture that large.
    bool reset(std::uint64_t width, std::uint64_t height);

    std::uint32_t width() const { return m_width; }
    std::uint32_t height() const { return m_height; }
    std::size_t stride() const { return m_stride; }
    std::span<const std::uint8_t> row(std::uint32_t y) const {
        return {m_bits.data() + y * m_stride, m_stride};
    }
    bool isBlack(std::uint32_t x, std::uint32_t y) const {
        return (row(y)[x / 8] & (0x80u >> (x % 8))) == 0;
    }
    void setBlack(std::uint32_t x, std::uint32_t y) {
        m_bits[y * m_stride + x / 8] &= static_cast<std::uint8_t>(~(0x80u >> (x % 8)));
    }
    // Paints columns [x0, x1) of row y black.
    void fillBlack(std::uint32_t y, std::uint32_t x0, std::uint32_t x1);
    // Makes row `to` a copy of row `from`.
    void copyRow(std::uint32_t from, std::uint32_t to);

private:
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    std::size_t m_stride = 0;
    std::vector<std::uint8_t> m_bits;
};

// Geometry of the barcode picture.
inline constexpr std::uint32_t kModulePixels = 3;
inline constexpr std::uint32_t kMarginPixels = 2;
inline constexpr std::uint32_t kBarcodeHeight = 112;
inline constexpr std::uint32_t kFirstBarRow = 1;
inline constexpr std::uint32_t kLastBarRow = 110;

// Draws an element-width string: 3-pixel modules from column 2, bars on rows 1 to 110, white
// everywhere else. False when the picture would be too large for a BMP file.
bool renderBarcode(std::string_view widths, MonoBitmap& bitmap);

// `rotated` becomes `source` turned 90 degrees clockwise: the pixel at column x, row y of the
// source lands at column height - 1 - y, row x. False when too large for a BMP file.
bool rotateClockwise(const MonoBitmap& source, MonoBitmap& rotated);

} // namespace tav::barcode
