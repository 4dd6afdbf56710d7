// The BMP file image of a 1-bit picture: a 62-byte header (file header, 40-byte info header,
// palette black then white) and the rows bottom-up.
#pragma once

#include "barcode/MonoBitmap.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tav::barcode {

inline constexpr std::uint32_t kBmpHeaderSize = 62;

// The size of the file image of a 1-bit picture of that size, or nothing when the header's
// 32-bit fields cannot describe it.
std::optional<std::uint32_t> bmpFileSize(std::uint64_t width, std::uint64_t height);

// Writes the file image of `bitmap` into `bytes` (replacing what was there).
void writeBmp(const MonoBitmap& bitmap, std::vector<std::uint8_t>& bytes);

} // namespace tav::barcode
