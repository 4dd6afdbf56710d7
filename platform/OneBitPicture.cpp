#include "platform/OneBitPicture.h"

#include "platform/Bmp.h"

#include <cstring>

namespace tav::platform {

bool OneBitPicture::reset(std::uint64_t newWidth, std::uint64_t newHeight) {
    width = 0;
    height = 0;
    stride = 0;
    if (!oneBitBmpFileSize(newWidth, newHeight)) {
        bits.clear();
        return false;
    }
    width = static_cast<std::uint32_t>(newWidth);
    height = static_cast<std::uint32_t>(newHeight);
    // The size check above keeps the stride within size_t on 32-bit systems too.
    stride = static_cast<std::size_t>(bmpRowStride(width, 1));
    bits.assign(stride * height, 0);
    return true;
}

void OneBitPicture::fillInk(std::uint32_t y, std::uint32_t x0, std::uint32_t x1) {
    if (x1 > width)
        x1 = width;
    if (x0 >= x1)
        return;
    std::uint8_t* line = row(y);
    const std::uint32_t firstByte = x0 / 8;
    const std::uint32_t lastByte = (x1 - 1) / 8;
    // Bits of a byte from pixel p (0 = leftmost) to the right edge of the byte.
    const auto fromPixel = [](std::uint32_t p) { return static_cast<std::uint8_t>(0xFFu >> p); };
    const std::uint8_t head = fromPixel(x0 % 8);
    const std::uint8_t tail = static_cast<std::uint8_t>(~fromPixel((x1 - 1) % 8 + 1));
    if (firstByte == lastByte) {
        line[firstByte] |= static_cast<std::uint8_t>(head & tail);
        return;
    }
    line[firstByte] |= head;
    if (lastByte > firstByte + 1)
        std::memset(line + firstByte + 1, 0xFF, lastByte - firstByte - 1);
    line[lastByte] |= tail;
}

void OneBitPicture::copyRow(std::uint32_t from, std::uint32_t to) {
    std::memcpy(row(to), row(from), stride);
}

} // namespace tav::platform
