#include "platform/Bmp.h"

#include "platform/LittleEndian.h"

#include <cstring>
#include <limits>

namespace tav::platform {
namespace {

bool knownInfoSize(std::uint32_t size) {
    switch (size) {
    case kBmpCoreHeaderSize:
    case 40:  // BITMAPINFOHEADER
    case 52:  // V2: RGB masks
    case 56:  // V3: RGBA masks
    case 64:  // OS/2 2.x
    case 108: // V4
    case 124: // V5
        return true;
    default:
        return false;
    }
}

// Whether a picture of `bits` per pixel may be stored with `compression`.
bool depthFits(BmpCompression compression, std::uint32_t bits, bool core) {
    switch (compression) {
    case BmpCompression::Rgb:
        return bits == 1 || bits == 4 || bits == 8 || bits == 24 ||
               (!core && (bits == 16 || bits == 32));
    case BmpCompression::Rle8:
        return bits == 8 && !core;
    case BmpCompression::Rle4:
        return bits == 4 && !core;
    case BmpCompression::Bitfields:
    case BmpCompression::AlphaBitfields:
        return (bits == 16 || bits == 32) && !core;
    }
    return false;
}

// out = ~in & keep over `bytes` bytes, a multiple of four, a word at a time.
void invertRow(const std::uint8_t* in, const std::uint8_t* keep, std::uint8_t* out,
               std::size_t bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        std::uint64_t word = 0, mask = 0;
        std::memcpy(&word, in + i, 8);
        std::memcpy(&mask, keep + i, 8);
        word = ~word & mask;
        std::memcpy(out + i, &word, 8);
    }
    if (i < bytes) {
        std::uint32_t word = 0, mask = 0;
        std::memcpy(&word, in + i, 4);
        std::memcpy(&mask, keep + i, 4);
        word = ~word & mask;
        std::memcpy(out + i, &word, 4);
    }
}

} // namespace

std::uint32_t BmpHeader::color(std::span<const std::uint8_t> bytes, std::uint32_t index) const {
    const std::size_t at = colorsAt + std::size_t{index} * entrySize;
    return 0xFF000000u | static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 1]) << 8 | bytes[at];
}

std::optional<BmpHeader> readBmpHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kBmpFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        return std::nullopt;
    BmpHeader h;
    h.infoSize = readLe32(bytes, kBmpFileHeaderSize);
    if (!knownInfoSize(h.infoSize) || bytes.size() < kBmpFileHeaderSize + h.infoSize)
        return std::nullopt;

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint64_t colors = 0;
    std::uint32_t compression = 0;
    if (h.isCore()) { // unsigned 16-bit sizes, always bottom-up, 3-byte color entries
        width = readLe16(bytes, 18);
        height = readLe16(bytes, 20);
        h.planes = readLe16(bytes, 22);
        h.bitsPerPixel = readLe16(bytes, 24);
        h.entrySize = 3;
    } else {
        width = static_cast<std::int32_t>(readLe32(bytes, 18));
        height = static_cast<std::int32_t>(readLe32(bytes, 22));
        h.planes = readLe16(bytes, 26);
        h.bitsPerPixel = readLe16(bytes, 28);
        compression = readLe32(bytes, 30);
        colors = readLe32(bytes, 46);
    }
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    h.width = static_cast<std::uint32_t>(width);
    h.topDown = height < 0;
    h.height = static_cast<std::uint32_t>(height < 0 ? -height : height);

    if (compression != 0 && compression != 1 && compression != 2 && compression != 3 &&
        compression != 6)
        return std::nullopt; // embedded JPEG or PNG, CMYK and others
    h.compression = static_cast<BmpCompression>(compression);
    if (!depthFits(h.compression, h.bitsPerPixel, h.isCore()))
        return std::nullopt;
    if (h.infoSize == 40 && h.compression == BmpCompression::Bitfields)
        h.masksSize = 12;
    else if (h.infoSize == 40 && h.compression == BmpCompression::AlphaBitfields)
        h.masksSize = 16;

    if (h.bitsPerPixel <= 8) {
        if (colors == 0)
            colors = std::uint64_t{1} << h.bitsPerPixel;
        if (colors > 256)
            return std::nullopt;
    }
    h.colorsAt = kBmpFileHeaderSize + h.infoSize + h.masksSize;
    const std::uint64_t tableEnd = h.colorsAt + colors * h.entrySize;
    const std::uint64_t bitsOffset = readLe32(bytes, 10);
    if (tableEnd > bitsOffset || bitsOffset > bytes.size())
        return std::nullopt;
    h.colors = static_cast<std::uint32_t>(colors);
    h.bitsOffset = static_cast<std::size_t>(bitsOffset);

    if (!h.isRle()) {
        // Divide rather than multiply: width and height may be anything a header can claim.
        const std::uint64_t available = bytes.size() - bitsOffset;
        const std::uint64_t stride = bmpRowStride(h.width, h.bitsPerPixel);
        if (stride > available || h.height > available / stride)
            return std::nullopt;
        h.stride = static_cast<std::size_t>(stride);
    }
    return h;
}

std::optional<std::uint32_t> oneBitBmpFileSize(std::uint64_t width, std::uint64_t height) {
    constexpr std::uint64_t kMaxSide = std::numeric_limits<std::int32_t>::max();
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return std::nullopt;
    const std::uint64_t size =
        kOneBitBmpHeaderSize + bmpRowStride(width, 1) * height; // both below 2^31: no overflow
    if (size > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(size);
}

void writeOneBitBmp(const OneBitPicture& picture, const OneBitBmpStyle& style,
                    std::vector<std::uint8_t>& bytes) {
    const std::size_t stride = picture.stride;
    const std::uint32_t height = picture.height;
    // A picture only exists in sizes that oneBitBmpFileSize accepts.
    const auto imageSize = static_cast<std::uint32_t>(stride * height);
    const std::uint32_t fileSize = kOneBitBmpHeaderSize + imageSize;
    bytes.resize(fileSize);
    std::uint8_t* out = bytes.data();
    std::memset(out, 0, kOneBitBmpHeaderSize);
    out[0] = 'B';
    out[1] = 'M';
    writeLe32(out + 2, fileSize);
    writeLe32(out + 10, kOneBitBmpHeaderSize);
    writeLe32(out + 14, 40);
    writeLe32(out + 18, picture.width);
    writeLe32(out + 22, height); // positive: rows stored bottom-up
    writeLe16(out + 26, 1);
    writeLe16(out + 28, 1);
    if (style.statesSizes) {
        writeLe32(out + 34, imageSize);
        writeLe32(out + 46, 2);
        writeLe32(out + 50, 2);
    }
    const std::uint32_t first = style.inkFirst ? style.ink : style.background;
    const std::uint32_t second = style.inkFirst ? style.background : style.ink;
    writeLe32(out + 54, first & 0xFFFFFF); // blue, green, red, 0
    writeLe32(out + 58, second & 0xFFFFFF);

    std::uint8_t* pixels = out + kOneBitBmpHeaderSize;
    if (!style.inkFirst) {
        for (std::uint32_t y = height; y-- > 0; pixels += stride)
            std::memcpy(pixels, picture.row(y).data(), stride);
        return;
    }
    // Ink is entry 0: the bits are stored inverted, and the bits past the right edge stay clear.
    std::vector<std::uint8_t> keep(stride, 0);
    const std::size_t fullBytes = picture.width / 8;
    std::memset(keep.data(), 0xFF, fullBytes);
    if (const std::uint32_t rest = picture.width % 8; rest != 0)
        keep[fullBytes] = static_cast<std::uint8_t>(0xFF00u >> rest);
    for (std::uint32_t y = height; y-- > 0; pixels += stride)
        invertRow(picture.row(y).data(), keep.data(), pixels, stride);
}

namespace {

constexpr std::uint32_t kProfileLinked = 0x4C494E4B;   // 'LINK'
constexpr std::uint32_t kProfileEmbedded = 0x4D424544; // 'MBED'
constexpr std::uint32_t kV5HeaderSize = 124;

// Offsets inside the information header.
constexpr std::size_t kCoreWidthAt = 4;
constexpr std::size_t kCoreHeightAt = 6;
constexpr std::size_t kWidthAt = 4;
constexpr std::size_t kHeightAt = 8;
constexpr std::size_t kImageSizeAt = 20;
constexpr std::size_t kXResolutionAt = 24;
constexpr std::size_t kYResolutionAt = 28;
constexpr std::size_t kColorSpaceAt = 56;
constexpr std::size_t kProfileDataAt = 112;
constexpr std::size_t kProfileSizeAt = 116;

} // namespace

std::optional<BmpProfile> readBmpProfile(std::span<const std::uint8_t> bytes,
                                         const BmpHeader& header) {
    if (header.infoSize != kV5HeaderSize)
        return BmpProfile{};
    auto info = bytes.subspan(kBmpFileHeaderSize, header.infoSize);
    const auto space = readLe32(info, kColorSpaceAt);
    const std::uint64_t size = readLe32(info, kProfileSizeAt);
    if ((space != kProfileEmbedded && space != kProfileLinked) || size == 0)
        return BmpProfile{};
    const std::uint64_t offset = kBmpFileHeaderSize + std::uint64_t{readLe32(info, kProfileDataAt)};
    if (offset + size > bytes.size())
        return std::nullopt;
    return BmpProfile{static_cast<std::size_t>(offset), static_cast<std::size_t>(size)};
}

std::optional<BmpCopy> planBmpCopy(const BmpHeader& header, const BmpProfile& profile,
                                   std::uint32_t width, std::uint32_t height,
                                   bool swapResolutions) {
    BmpCopy copy;
    copy.width = width;
    copy.height = height;
    copy.swapResolutions = swapResolutions;
    copy.headSize = header.colorsAt + std::uint64_t{header.colors} * header.entrySize;
    copy.pixelBytes = bmpRowStride(width, header.bitsPerPixel) * height;
    copy.fileSize = copy.headSize + copy.pixelBytes + profile.size;
    if (copy.fileSize > std::numeric_limits<std::uint32_t>::max() ||
        height > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return copy;
}

void writeBmpCopyHead(std::span<const std::uint8_t> source, const BmpHeader& header,
                      const BmpProfile& profile, const BmpCopy& copy, std::span<std::uint8_t> out) {
    out[0] = 'B';
    out[1] = 'M';
    writeLe32(out.data() + 2, static_cast<std::uint32_t>(copy.fileSize));
    writeLe32(out.data() + 10, static_cast<std::uint32_t>(copy.headSize));
    // The information header, masks and color table as they were.
    std::memcpy(out.data() + kBmpFileHeaderSize, source.data() + kBmpFileHeaderSize,
                static_cast<std::size_t>(copy.headSize) - kBmpFileHeaderSize);

    std::uint8_t* info = out.data() + kBmpFileHeaderSize;
    if (header.isCore()) { // 16-bit sizes, bottom-up, and no other field that changes
        writeLe16(info + kCoreWidthAt, copy.width);
        writeLe16(info + kCoreHeightAt, copy.height);
    } else {
        writeLe32(info + kWidthAt, copy.width);
        const auto signedHeight = static_cast<std::int32_t>(copy.height);
        writeLe32(info + kHeightAt,
                  static_cast<std::uint32_t>(header.topDown ? -signedHeight : signedHeight));
        writeLe32(info + kImageSizeAt, static_cast<std::uint32_t>(copy.pixelBytes));
        if (copy.swapResolutions) {
            writeLe32(info + kXResolutionAt, readLe32(source, kBmpFileHeaderSize + kYResolutionAt));
            writeLe32(info + kYResolutionAt, readLe32(source, kBmpFileHeaderSize + kXResolutionAt));
        }
    }
    if (profile.size > 0) {
        // The profile's offset counts from the start of the information header.
        const auto profileAt = static_cast<std::size_t>(copy.headSize + copy.pixelBytes);
        std::memcpy(out.data() + profileAt, source.data() + profile.offset, profile.size);
        writeLe32(info + kProfileDataAt,
                  static_cast<std::uint32_t>(profileAt - kBmpFileHeaderSize));
    }
}

} // namespace tav::platform
