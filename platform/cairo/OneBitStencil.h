// Two-color pictures (barcodes, QR codes) as PDF stencils. The picture's box is filled with
// its background color and the ink is painted through a one-bit mask. The mask holds one bit
// per module, not per pixel: barcode bars are several pixels wide and every row of a bar is the
// same, QR modules are squares of pixels, so the smallest grid that draws the picture exactly
// is usually a few hundred bits. The document stays small and fast to write, and a printer
// scales the modules itself, without smoothing.
#pragma once

#include "platform/ImageCodec.h"

#include <cairo.h>

#include <cstdint>
#include <optional>

namespace tav::platform {

struct Stencil {
    std::uint32_t background = 0; // 0xFFRRGGBB
    std::uint32_t ink = 0;
    // The ink, one bit per module; null when the picture has no ink. The mask's pixel (i, j)
    // covers picture pixels x + i * moduleWidth ... and y + j * moduleHeight ...
    cairo_surface_t* mask = nullptr;
    int x = 0, y = 0, moduleWidth = 1, moduleHeight = 1;

    Stencil() = default;
    Stencil(const Stencil&) = delete;
    Stencil& operator=(const Stencil&) = delete;
    Stencil(Stencil&& other) noexcept;
    ~Stencil();
};

// The stencil of a picture of at most two colors, fully opaque; nothing for any other picture.
std::optional<Stencil> makeStencil(const DecodedImage& image);

} // namespace tav::platform
