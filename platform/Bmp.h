// The BMP file format: reading a header with every range checked against the bytes, writing
// one-bit pictures, and writing the header of a picture copied at another size. Used by the
// barcode and QR encoders, the picture turner and the decoders.
#pragma once

#include "platform/OneBitPicture.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tav::platform {

inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t kBmpCoreHeaderSize = 12; // OS/2 BITMAPCOREHEADER

enum class BmpCompression : std::uint32_t {
    Rgb = 0,
    Rle8 = 1,
    Rle4 = 2,
    Bitfields = 3,
    AlphaBitfields = 6,
};

// Where everything of a BMP file lies. readBmpHeader only gives one whose ranges lie within the
// bytes it read: the header, the color table before the pixels, and for an uncompressed picture
// every row.
struct BmpHeader {
    std::uint32_t infoSize = 0; // 12 (OS/2 core), 40, 52, 56, 64, 108 or 124
    std::uint32_t width = 0;    // both at least 1
    std::uint32_t height = 0;
    bool topDown = false;
    std::uint32_t planes = 1;       // as stored; 1 in every well-formed file
    std::uint32_t bitsPerPixel = 0; // 1, 4, 8, 16, 24 or 32
    BmpCompression compression = BmpCompression::Rgb;
    std::uint32_t colors = 0;   // entries of the color table
    std::size_t entrySize = 4;  // bytes per color entry: 3 after a core header
    std::size_t masksSize = 0;  // bitfield masks between a 40-byte header and the colors
    std::size_t colorsAt = 0;   // from the start of the file
    std::size_t bitsOffset = 0; // from the start of the file
    std::size_t stride = 0;     // bytes per stored row; 0 for RLE

    bool isCore() const { return infoSize == kBmpCoreHeaderSize; }
    bool isRle() const {
        return compression == BmpCompression::Rle8 || compression == BmpCompression::Rle4;
    }
    // Where the stored row that shows picture row `y` (0 at the top) starts in the file.
    std::size_t rowAt(std::uint32_t y) const {
        return bitsOffset + (topDown ? y : height - 1 - y) * stride;
    }
    // Color table entry `index` as 0xFFRRGGBB; index < colors.
    std::uint32_t color(std::span<const std::uint8_t> bytes, std::uint32_t index) const;
};

// The header of the BMP in `bytes`; nothing when the bytes are not a BMP of a known header form
// (core, info and its V2 to V5 and OS/2 2.x extensions), when the bit depth does not go with the
// compression (uncompressed 1, 4, 8, 16, 24, 32; RLE8 on 8, RLE4 on 4; bitfields on 16 and 32;
// anything else, embedded JPEG or PNG among them, is refused), when a dimension is not positive,
// and when a range above does not lie within the bytes. Widths and heights are only bounded by
// the bytes when the picture is uncompressed.
std::optional<BmpHeader> readBmpHeader(std::span<const std::uint8_t> bytes);

// Bytes per stored row of a picture `width` pixels wide.
inline std::uint64_t bmpRowStride(std::uint64_t width, std::uint32_t bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// A one-bit BMP as the encoders write it: file header, 40-byte information header, two color
// entries, rows bottom-up.
inline constexpr std::uint32_t kOneBitBmpHeaderSize = 62;

// The size of a one-bit BMP of that size, or nothing when the header's fields cannot describe it.
std::optional<std::uint32_t> oneBitBmpFileSize(std::uint64_t width, std::uint64_t height);

// How a one-bit picture is written: its two colors (0xRRGGBB), which of them is palette entry
// 0, and whether the header states the image size and the color counts or leaves them 0 (which
// BMP readers take as "the usual").
struct OneBitBmpStyle {
    std::uint32_t background = 0xFFFFFF;
    std::uint32_t ink = 0x000000;
    bool inkFirst = false;
    bool statesSizes = false;
};

// Writes the file image of `picture` into `bytes`, replacing what was there.
void writeOneBitBmp(const OneBitPicture& picture, const OneBitBmpStyle& style,
                    std::vector<std::uint8_t>& bytes);

// The color profile a V5 header keeps in the file (embedded, or the name of a linked one).
struct BmpProfile {
    std::size_t offset = 0; // from the start of the file
    std::size_t size = 0;   // 0: none to carry along
};

// The profile of the BMP in `bytes` whose header is `header`: size 0 when it has none; nothing
// when it claims bytes the file does not hold.
std::optional<BmpProfile> readBmpProfile(std::span<const std::uint8_t> bytes,
                                         const BmpHeader& header);

// A BMP copied at another size, as a turned picture is: the header form, the bitfield masks and
// the color table stay as they were; width, height and image size are set anew, the two
// resolutions exchanged on request, and the color profile is placed behind the rows.
struct BmpCopy {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool swapResolutions = false;
    std::uint64_t headSize = 0;   // file header to the end of the color table: where rows start
    std::uint64_t pixelBytes = 0; // the rows at the new size
    std::uint64_t fileSize = 0;   // head, rows, profile
};

// The copy of the picture `header` describes at `width` x `height`, carrying `profile`; nothing
// when no BMP header can describe it (a file of 4 GiB or more, a height beyond 2^31 - 1).
std::optional<BmpCopy> planBmpCopy(const BmpHeader& header, const BmpProfile& profile,
                                   std::uint32_t width, std::uint32_t height, bool swapResolutions);

// Writes everything of the copy but its rows into `out` (copy.fileSize bytes, zeroed): the
// file header, the information header with the fields above set anew (a core header only
// stores its 16-bit sizes), the masks and color table of `source`, and the profile behind the
// rows with its offset set to match.
void writeBmpCopyHead(std::span<const std::uint8_t> source, const BmpHeader& header,
                      const BmpProfile& profile, const BmpCopy& copy, std::span<std::uint8_t> out);

} // namespace tav::platform
