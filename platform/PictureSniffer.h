// What a picture file is, read from its first bytes before any decoder sees it: the format, the
// size its header claims (refused when too large or, for BMP, larger than the bytes hold) and
// whether it stores one bit per pixel. Portable; used by the gdk-pixbuf and GDI+ backends.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tav::platform {

enum class PictureFormat { Bmp, Jpeg, Png, Gif, Tiff };

struct PictureFacts {
    PictureFormat format = PictureFormat::Bmp;
    bool oneBit = false;
};

// Nothing for an unknown format or a header that must not be decoded.
std::optional<PictureFacts> inspectPicture(std::span<const std::uint8_t> bytes,
                                           std::uint64_t maxPixels);

} // namespace tav::platform
