// An uncompressed 24-bit BMP of one colour, of any size, for tests of pictures too large to draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tav::test {

inline std::vector<std::uint8_t> solidBmp24(std::uint32_t width, std::uint32_t height) {
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> b(54 + std::size_t{stride} * height, 0); // black
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1;
    b[28] = 24;
    return b;
}

} // namespace tav::test
