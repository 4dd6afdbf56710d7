#include "barcode/BarcodeRaster.h"

namespace tav::barcode {

bool renderBarcode(std::string_view widths, platform::OneBitPicture& picture) {
    std::uint64_t modules = 0;
    for (char digit : widths)
        modules += static_cast<std::uint64_t>(digit - '0');
    if (!picture.reset(kModulePixels * modules + 2 * kMarginPixels, kBarcodeHeight))
        return false;

    // Every bar row is the same: draw the first, copy it to the others.
    std::uint32_t x = kMarginPixels;
    bool bar = true;
    for (char digit : widths) {
        const auto pixels = kModulePixels * static_cast<std::uint32_t>(digit - '0');
        if (bar)
            picture.fillInk(kFirstBarRow, x, x + pixels);
        x += pixels;
        bar = !bar;
    }
    for (std::uint32_t y = kFirstBarRow + 1; y <= kLastBarRow; ++y)
        picture.copyRow(kFirstBarRow, y);
    return true;
}

bool rotateClockwise(const platform::OneBitPicture& source, platform::OneBitPicture& rotated) {
    const std::uint32_t width = source.width;
    const std::uint32_t height = source.height;
    if (!rotated.reset(height, width))
        return false;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t column = height - 1 - y;
        for (std::uint32_t x = 0; x < width; ++x) {
            if (source.ink(x, y))
                rotated.setInk(column, x);
        }
    }
    return true;
}

} // namespace tav::barcode
