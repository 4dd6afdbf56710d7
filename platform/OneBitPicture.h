// A picture of one bit per pixel, the form of every barcode and QR code: drawn by their
// encoders, written as BMP files, read back by the decoder. Only the two colors' roles are
// stored here; which colors they are belongs to the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tav::platform {

// Rows from the top, `stride` bytes each (a multiple of four, as a BMP file stores rows); within
// a byte the most significant bit is the leftmost pixel. A set bit is ink (a bar, a dark module),
// a clear bit the background. Bits past the right edge are clear.
struct OneBitPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::size_t stride = 0;
    std::vector<std::uint8_t> bits;

    // Makes the picture `width` x `height`, all background, reusing the memory it already has.
    // False (and an empty picture) when a BMP file could not describe a picture that large.
    bool reset(std::uint64_t width, std::uint64_t height);

    std::span<const std::uint8_t> row(std::uint32_t y) const {
        return {bits.data() + y * stride, stride};
    }
    std::uint8_t* row(std::uint32_t y) { return bits.data() + y * stride; }
    bool ink(std::uint32_t x, std::uint32_t y) const {
        return (bits[y * stride + x / 8] & (0x80u >> (x % 8))) != 0;
    }
    void setInk(std::uint32_t x, std::uint32_t y) {
        bits[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    }
    // Inks columns [x0, x1) of row y; columns past the right edge are left alone.
    void fillInk(std::uint32_t y, std::uint32_t x0, std::uint32_t x1);
    // Makes row `to` a copy of row `from`.
    void copyRow(std::uint32_t from, std::uint32_t to);
};

} // namespace tav::platform
