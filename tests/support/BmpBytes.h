// BMP files built byte by byte for tests: uncompressed 24-bit bottom-up pictures of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tav::test {

// A 24-bit bottom-up BMP whose byte k (0 blue, 1 green, 2 red) of the pixel in stored row r
// (0 is the bottom row) and column c is pixel(r, c, k).
template <typename Pixel>
std::vector<std::uint8_t> bmp24(std::uint32_t width, std::uint32_t height, Pixel pixel) {
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    const std::size_t imageSize = std::size_t{stride} * height;
    std::vector<std::uint8_t> b(54 + imageSize, 0);
    auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, static_cast<std::uint32_t>(b.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, static_cast<std::uint32_t>(imageSize), 4);
    for (std::uint32_t r = 0; r < height; ++r)
        for (std::uint32_t c = 0; c < width; ++c)
            for (std::uint32_t k = 0; k < 3; ++k)
                b[54 + std::size_t{r} * stride + c * 3 + k] = pixel(r, c, k);
    return b;
}

// One color (black), of any size, for tests of pictures too large to draw.
inline std::vector<std::uint8_t> solidBmp24(std::uint32_t width, std::uint32_t height) {
    return bmp24(width, height,
                 [](std::uint32_t, std::uint32_t, std::uint32_t) { return std::uint8_t{0}; });
}

// Every pixel different, so that any turn of it is a different byte image.
inline std::vector<std::uint8_t> makeBmp(std::int32_t width, std::int32_t height) {
    return bmp24(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                 [](std::uint32_t r, std::uint32_t c, std::uint32_t k) {
                     return static_cast<std::uint8_t>(r * 31 + c * 7 + k);
                 });
}

} // namespace tav::test
