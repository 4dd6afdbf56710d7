#include "barcode/BmpWriter.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace tav::barcode {
namespace {

void put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
    put16(at, value);
    put16(at + 2, value >> 16);
}

} // namespace

std::optional<std::uint32_t> bmpFileSize(std::uint64_t width, std::uint64_t height) {
    constexpr std::uint64_t kMaxSide = std::numeric_limits<std::int32_t>::max();
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return std::nullopt;
    const std::uint64_t stride = (width + 31) / 32 * 4;
    const std::uint64_t size = kBmpHeaderSize + stride * height; // both below 2^31: no overflow
    if (size > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(size);
}

void writeBmp(const MonoBitmap& bitmap, std::vector<std::uint8_t>& bytes) {
    const std::size_t stride = bitmap.stride();
    const std::uint32_t height = bitmap.height();
    // A bitmap only exists in sizes that bmpFileSize accepts.
    const std::uint32_t fileSize = kBmpHeaderSize + static_cast<std::uint32_t>(stride * height);
    bytes.resize(fileSize);
    std::uint8_t* out = bytes.data();
    std::memset(out, 0, kBmpHeaderSize);
    out[0] = 'B';
    out[1] = 'M';
    put32(out + 2, fileSize);
    put32(out + 10, kBmpHeaderSize);
    put32(out + 14, 40);
    put32(out + 18, bitmap.width());
    put32(out + 22, height);
    put16(out + 26, 1);
    put16(out + 28, 1);
    // Compression, image size, resolutions and colour counts stay 0; palette entry 0 is black.
    out[58] = 0xFF;
    out[59] = 0xFF;
    out[60] = 0xFF;

    std::uint8_t* pixels = out + kBmpHeaderSize;
    for (std::uint32_t y = height; y-- > 0; pixels += stride)
        std::memcpy(pixels, bitmap.row(y).data(), stride);
}

} // namespace tav::barcode
