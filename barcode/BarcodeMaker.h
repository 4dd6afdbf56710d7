// A text to a Code 128 barcode picture as BMP file bytes, stage by stage: clean the text,
// segment it, symbol values, element widths, bitmap (turned on request), BMP bytes.
#pragma once

#include "barcode/BarcodeRaster.h"
#include "barcode/Code128Encoder.h"
#include "common/Status.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tav::barcode {

// Holds the buffers of every stage and reuses them from one symbol to the next.
class BarcodeMaker {
public:
    // Makes the BMP file image of `text` (GBK bytes). False when the picture would be too large
    // for a BMP file; bmp() is then empty.
    bool make(std::string_view text, bool rotate);

    std::span<const std::uint8_t> bmp() const { return m_bmp; }

    // Gives back memory beyond `bytes` per buffer, for a maker kept between calls.
    void trim(std::size_t bytes);

private:
    std::string m_cleaned;
    std::vector<Segment> m_segments;
    std::vector<std::uint8_t> m_values;
    std::string m_widths;
    platform::OneBitPicture m_bitmap;
    platform::OneBitPicture m_rotated;
    std::vector<std::uint8_t> m_bmp;
};

// What GetBarcode does: makes the picture of `text` (turned clockwise when `rotate` is 1, any
// other value leaves it horizontal) and writes it to `path` (platform::replaceWholeFile).
// Succeeds only when the whole image was written. When the picture is too large for a BMP file
// the file is still created, empty, and the outcome is a failure.
Status writeBarcodeFile(std::string_view text, int rotate, const std::string& path);

} // namespace tav::barcode
