#include "platform/PictureSniffer.h"

#include "platform/Bmp.h"
#include "platform/LittleEndian.h"

#include <cstring>
#include <limits>

namespace tav::platform {
namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t be32(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

bool startsWith(Bytes b, const char* signature, std::size_t length) {
    return b.size() >= length && std::memcmp(b.data(), signature, length) == 0;
}

bool withinLimit(std::uint64_t width, std::uint64_t height, std::uint64_t maxPixels) {
    return width > 0 && height > 0 && width * height <= maxPixels;
}

std::optional<PictureFacts> inspectBmp(Bytes b, std::uint64_t maxPixels) {
    // The header's ranges, color table and uncompressed rows included, lie within the bytes:
    // the loader sizes its color table by the count in the header.
    const auto header = readBmpHeader(b);
    if (!header || !withinLimit(header->width, header->height, maxPixels))
        return std::nullopt;
    // A two-byte run draws at most 255 pixels; a picture that would rely on skips to cover more
    // than that from its bytes is refused.
    const std::uint64_t available = b.size() - header->bitsOffset;
    if (header->isRle() && std::uint64_t{header->width} * header->height > available * 128)
        return std::nullopt;
    return PictureFacts{PictureFormat::Bmp, header->bitsPerPixel == 1};
}

std::optional<PictureFacts> inspectPng(Bytes b, std::uint64_t maxPixels) {
    if (b.size() < 33 || std::memcmp(b.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    std::uint32_t width = be32(b, 16), height = be32(b, 20);
    if (width > std::numeric_limits<std::int32_t>::max() ||
        height > std::numeric_limits<std::int32_t>::max() || !withinLimit(width, height, maxPixels))
        return std::nullopt;
    std::uint8_t depth = b[24], colorType = b[25];
    return PictureFacts{PictureFormat::Png, depth == 1 && (colorType == 0 || colorType == 3)};
}

std::optional<PictureFacts> inspectGif(Bytes b, std::uint64_t maxPixels) {
    if (b.size() < 13 || !withinLimit(readLe16(b, 6), readLe16(b, 8), maxPixels))
        return std::nullopt;
    std::uint8_t flags = b[10];
    bool twoColors = (flags & 0x80) != 0 && (flags & 0x07) == 0;
    return PictureFacts{PictureFormat::Gif, twoColors};
}

// Reads the first directory of a TIFF for the size and the bits per pixel; the decoder reads
// the rest. Fields that are absent keep the format's defaults (one sample of one bit).
std::optional<PictureFacts> inspectTiff(Bytes b, std::uint64_t maxPixels) {
    if (b.size() < 8)
        return std::nullopt;
    bool little = b[0] == 'I';
    auto u16 = [&](std::size_t at) -> std::uint32_t {
        return little ? readLe16(b, at) : static_cast<std::uint32_t>(b[at] << 8 | b[at + 1]);
    };
    auto u32 = [&](std::size_t at) { return little ? readLe32(b, at) : be32(b, at); };
    std::uint64_t directory = u32(4);
    if (directory + 2 > b.size())
        return std::nullopt;
    std::uint32_t entries = u16(static_cast<std::size_t>(directory));
    std::uint64_t width = 0, height = 0, bitsPerSample = 1, samples = 1;
    for (std::uint32_t i = 0; i < entries; ++i) {
        std::uint64_t at = directory + 2 + std::uint64_t{i} * 12;
        if (at + 12 > b.size())
            return std::nullopt;
        auto entry = static_cast<std::size_t>(at);
        std::uint32_t tag = u16(entry), type = u16(entry + 2), count = u32(entry + 4);
        // SHORT (3) or LONG (4) values held in the entry itself.
        std::uint64_t value = type == 3 ? u16(entry + 8) : u32(entry + 8);
        bool single = count == 1 && (type == 3 || type == 4);
        if (tag == 256 && single)
            width = value;
        else if (tag == 257 && single)
            height = value;
        else if (tag == 258)
            bitsPerSample = single ? value : 8; // several samples: not a one-bit picture
        else if (tag == 277 && single)
            samples = value;
    }
    if (!withinLimit(width, height, maxPixels))
        return std::nullopt;
    return PictureFacts{PictureFormat::Tiff, bitsPerSample == 1 && samples == 1};
}

} // namespace

std::optional<PictureFacts> inspectPicture(std::span<const std::uint8_t> bytes,
                                           std::uint64_t maxPixels) {
    if (startsWith(bytes, "BM", 2))
        return inspectBmp(bytes, maxPixels);
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n", 8))
        return inspectPng(bytes, maxPixels);
    if (startsWith(bytes, "\xFF\xD8\xFF", 3)) // the decoder checks the size it finds
        return PictureFacts{PictureFormat::Jpeg, false};
    if (startsWith(bytes, "GIF87a", 6) || startsWith(bytes, "GIF89a", 6))
        return inspectGif(bytes, maxPixels);
    if (startsWith(bytes, "II*\0", 4) || startsWith(bytes, "MM\0*", 4))
        return inspectTiff(bytes, maxPixels);
    return std::nullopt;
}

} // namespace tav::platform
