// A surface that a label page is drawn on, in tenths of a millimetre from the top-left corner
// of the page, y growing downwards. The renderer draws through this interface only; the cairo
// backend (PDF pages, PNG pictures, the designer's pixels), GDI on Windows (a printer's or a
// memory bitmap's device context) and the recording canvas of the tests implement it.
#pragma once

#include "common/Color.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tav::platform {

struct DecodedImage;

// Colors are COLORREF values, 0x00BBGGRR (common/Color.h).
using tav::blueOf;
using tav::ColorRef;
using tav::greenOf;
using tav::redOf;

// A solid pen. `width` in tenths of a millimetre; 0 (or less) is the thinnest line the device
// draws (one device pixel). Lines end and join round, as wide solid pens do on Windows.
struct Pen {
    std::int32_t width = 0;
    ColorRef color = 0;
    bool operator==(const Pen&) const = default;
};

// A solid brush for the inside of filled shapes.
struct Brush {
    ColorRef color = 0;
    bool operator==(const Brush&) const = default;
};

struct Font {
    std::string faceName;        // GBK, as the template stores it
    std::int32_t height = 0;     // character (em) height in tenths of a millimetre, > 0
    std::int32_t escapement = 0; // tenths of a degree, counter-clockwise: 0, 900, 1800, 2700
    bool bold = false;           // weight 800
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const Font&) const = default;
};

struct TextExtent {
    std::int32_t width = 0;  // along the line, tenths of a millimetre
    std::int32_t height = 0; // ascent + descent of the font
    bool operator==(const TextExtent&) const = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void setPen(const Pen& pen) = 0;
    virtual void setBrush(const Brush& brush) = 0;
    virtual void setFont(const Font& font) = 0;
    virtual void setTextColor(ColorRef color) = 0;

    // A straight line with the pen.
    virtual void drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) = 0;
    // The rectangle (left, top)-(right, bottom), its corners rounded by an ellipse of
    // cornerWidth x cornerHeight (0: square), filled with the brush and outlined with the pen.
    virtual void drawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                               std::int32_t bottom, std::int32_t cornerWidth,
                               std::int32_t cornerHeight) = 0;
    // The ellipse inscribed in (left, top)-(right, bottom), outlined with the pen; filled with
    // the brush when `filled`.
    virtual void drawEllipse(std::int32_t left, std::int32_t top, std::int32_t right,
                             std::int32_t bottom, bool filled) = 0;

    // The extent of `text` (GBK) in the current font, unturned.
    virtual TextExtent measureText(std::string_view text) = 0;
    // `text` (GBK) in the current font and text color on a transparent background, on one line,
    // turned by the font's escapement about (x, y), the top-left corner of the unturned text.
    virtual void drawText(std::int32_t x, std::int32_t y, std::string_view text) = 0;

    // The whole image stretched into (left, top)-(right, bottom), the aspect ratio not kept.
    // Images marked as sharp-edged (1-bit pictures: barcodes, QR codes) are scaled without
    // interpolation so that module edges stay sharp.
    virtual void drawImage(const DecodedImage& image, std::int32_t left, std::int32_t top,
                           std::int32_t right, std::int32_t bottom) = 0;
    // Whether drawImage can draw `image` at all: a page holding a picture that it cannot draw
    // must fail instead of showing an empty box.
    virtual bool canDrawImage(const DecodedImage& image) const {
        (void)image;
        return true;
    }
};

} // namespace tav::platform
