#include "barcode/MonoBitmap.h"

#include "barcode/BmpWriter.h"

#include <cstring>

namespace tav::barcode {

bool MonoBitmap::reset(std::uint64_t width, std::uint64_t height) {
    m_width = 0;
    m_height = 0;
    m_stride = 0;
    if (!bmpFileSize(width, height)) {
        m_bits.clear();
        return false;
    }
    m_width = static_cast<std::uint32_t>(width);
    m_height = static_cast<std::uint32_t>(height);
    m_stride = (m_width + 31u) / 32u * 4u;

    // One white row with clear padding bits, copied down.
    m_bits.resize(m_stride * m_height);
    std::uint8_t* first = m_bits.data();
    const std::size_t fullBytes = m_width / 8;
    std::memset(first, 0xFF, fullBytes);
    std::memset(first + fullBytes, 0, m_stride - fullBytes);
    if (const std::uint32_t rest = m_width % 8; rest != 0)
        first[fullBytes] = static_cast<std::uint8_t>(0xFF00u >> rest);
    for (std::uint32_t y = 1; y < m_height; ++y)
        std::memcpy(first + y * m_stride, first, m_stride);
    return true;
}

void MonoBitmap::fillBlack(std::uint32_t y, std::uint32_t x0, std::uint32_t x1) {
    if (x1 > m_width)
        x1 = m_width;
    if (x0 >= x1)
        return;
    std::uint8_t* row = m_bits.data() + y * m_stride;
    const std::uint32_t firstByte = x0 / 8;
    const std::uint32_t lastByte = (x1 - 1) / 8;
    // Bits of a byte from pixel p (0 = leftmost) to the right edge of the byte.
    const auto fromPixel = [](std::uint32_t p) { return static_cast<std::uint8_t>(0xFFu >> p); };
    const std::uint8_t head = fromPixel(x0 % 8);
    const std::uint8_t tail = static_cast<std::uint8_t>(~fromPixel((x1 - 1) % 8 + 1));
    if (firstByte == lastByte) {
        row[firstByte] &= static_cast<std::uint8_t>(~(head & tail));
        return;
    }
    row[firstByte] &= static_cast<std::uint8_t>(~head);
    if (lastByte > firstByte + 1)
        std::memset(row + firstByte + 1, 0, lastByte - firstByte - 1);
    row[lastByte] &= static_cast<std::uint8_t>(~tail);
}

void MonoBitmap::copyRow(std::uint32_t from, std::uint32_t to) {
    std::memcpy(m_bits.data() + to * m_stride, m_bits.data() + from * m_stride, m_stride);
}

bool renderBarcode(std::string_view widths, MonoBitmap& bitmap) {
    std::uint64_t modules = 0;
    for (char digit : widths)
        modules += static_cast<std::uint64_t>(digit - '0');
    if (!bitmap.reset(kModulePixels * modules + 2 * kMarginPixels, kBarcodeHeight))
        return false;

    // Every bar row is the same: draw the first, copy it to the others.
    std::uint32_t x = kMarginPixels;
    bool bar = true;
    for (char digit : widths) {
        const auto pixels = kModulePixels * static_cast<std::uint32_t>(digit - '0');
        if (bar)
            bitmap.fillBlack(kFirstBarRow, x, x + pixels);
        x += pixels;
        bar = !bar;
    }
    for (std::uint32_t y = kFirstBarRow + 1; y <= kLastBarRow; ++y)
        bitmap.copyRow(kFirstBarRow, y);
    return true;
}

bool rotateClockwise(const MonoBitmap& source, MonoBitmap& rotated) {
    const std::uint32_t width = source.width();
    const std::uint32_t height = source.height();
    if (!rotated.reset(height, width))
        return false;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t column = height - 1 - y;
        for (std::uint32_t x = 0; x < width; ++x) {
            if (source.isBlack(x, y))
                rotated.setBlack(column, x);
        }
    }
    return true;
}

} // namespace tav::barcode
