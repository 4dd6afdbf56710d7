#include "platform/pixbuf/PictureSniffer.h"

#include <cstring>
#include <limits>

namespace tav::platform {
namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t le16(Bytes b, std::size_t at) {
    return b[at] | b[at + 1] << 8;
}
std::uint32_t le32(Bytes b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
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
    if (b.size() < 26)
        return std::nullopt;
    std::uint32_t infoSize = le32(b, 14);
    std::int64_t width, height;
    std::uint32_t bits, compression = 0;
    if (infoSize == 12) { // OS/2 core header: unsigned 16-bit sizes
        width = le16(b, 18);
        height = le16(b, 20);
        bits = le16(b, 24);
    } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64 ||
               infoSize == 108 || infoSize == 124) {
        if (b.size() < 14 + 40)
            return std::nullopt;
        width = static_cast<std::int32_t>(le32(b, 18));
        height = static_cast<std::int32_t>(le32(b, 22));
        bits = le16(b, 28);
        compression = le32(b, 30);
    } else {
        return std::nullopt;
    }
    height = height < 0 ? -height : height; // negative: stored top-down
    if (width <= 0 || !withinLimit(static_cast<std::uint64_t>(width),
                                   static_cast<std::uint64_t>(height), maxPixels))
        return std::nullopt;
    std::uint64_t bitsOffset = le32(b, 10);
    if (bitsOffset < 14 + infoSize || bitsOffset > b.size())
        return std::nullopt;
    // The loader sizes its colour table by the count in the header: it must lie in the bytes.
    std::uint64_t colors = infoSize == 12 ? 0 : le32(b, 46);
    if (colors == 0 && bits <= 8)
        colors = std::uint64_t{1} << bits;
    if ((bits <= 8 && colors > 256) || 14 + infoSize + colors * (infoSize == 12 ? 3 : 4) > b.size())
        return std::nullopt;
    std::uint64_t available = b.size() - bitsOffset;
    auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);

    switch (compression) {
    case 0: // BI_RGB
    case 3: // BI_BITFIELDS
    case 6: // BI_ALPHABITFIELDS
    {
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return std::nullopt;
        std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
        if (stride > available || static_cast<std::uint64_t>(height) > available / stride)
            return std::nullopt;
        break;
    }
    case 1: // BI_RLE8
    case 2: // BI_RLE4
        // A two-byte run draws at most 255 pixels; a picture that would rely on skips to cover
        // more than that from its bytes is refused.
        if ((compression == 1 && bits != 8) || (compression == 2 && bits != 4) ||
            pixels > available * 128)
            return std::nullopt;
        break;
    default: // embedded JPEG or PNG, CMYK and others
        return std::nullopt;
    }
    return PictureFacts{PictureFormat::Bmp, bits == 1};
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
    if (b.size() < 13 || !withinLimit(le16(b, 6), le16(b, 8), maxPixels))
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
        return little ? le16(b, at) : static_cast<std::uint32_t>(b[at] << 8 | b[at + 1]);
    };
    auto u32 = [&](std::size_t at) { return little ? le32(b, at) : be32(b, at); };
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
