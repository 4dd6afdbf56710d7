// The in-memory label or receipt template: the paper and an ordered list of elements, in tenths
// of a millimetre. Texts hold GBK bytes exactly as stored in the file.
#pragma once

#include "template/SharedBytes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tav::tpl {

enum class ElementKind : std::int32_t {
    RectOutline = 1,
    RectFilled = 2,
    RoundedRect = 3,
    EllipseOutline = 4,
    EllipseFilled = 5,
    HorizontalLine = 6,
    VerticalLine = 7,
    DiagonalDown = 8,
    DiagonalUp = 9,
    BarcodeImage = 10,
    QrCodeImage = 11,
    Picture = 12,
    Text = 13,
};

// "宋体" in GBK: the face of every new element.
inline constexpr const char* kDefaultFaceName = "\xCB\xCE\xCC\xE5";
inline constexpr std::int32_t kDefaultFontSize = 9;

struct PageSettings {
    std::int32_t paperWidth = 0;
    std::int32_t paperHeight = 0;
    std::int32_t orientation = 0; // 0 landscape, 1 portrait, as the editor lists them
    std::int32_t paperColor = 0;  // COLORREF 0x00BBGGRR; printing ignores it
    std::int32_t printScale = 0;  // reference for scaling font sizes when printing
    float zoom = 0.0f;            // the editor's canvas zoom; the engine does not use it
    std::string printerName;      // empty: the system's default printer

    friend bool operator==(const PageSettings&, const PageSettings&) = default;
};

struct ElementBox {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend bool operator==(const ElementBox&, const ElementBox&) = default;
};

struct ElementFont {
    std::int32_t angle = 0; // tenths of a degree clockwise: 0, 900, 1800, 2700
    bool bold = false;
    bool italic = false;
    bool strikeout = false;
    bool underline = false;
    std::int32_t size = kDefaultFontSize; // points
    std::string faceName = kDefaultFaceName;

    friend bool operator==(const ElementFont&, const ElementFont&) = default;
};

struct ElementImage {
    SharedBytes source;        // the picture before rotation (a BMP or a picture file's bytes)
    SharedBytes shown;         // the picture as printed
    std::int32_t rotation = 0; // 0, 900, 1800 or 2700 tenths of a degree
    std::int32_t qrSize = 0;   // QR symbol edge in pixels; below 1 means 256

    friend bool operator==(const ElementImage&, const ElementImage&) = default;
};

struct TemplateElement {
    std::int32_t kind = 0; // an ElementKind code; other codes are held as they are
    ElementBox box;
    std::int32_t cornerSize = 0;
    std::int32_t penColor = 0;
    std::int32_t penWidth = 0;
    std::int32_t fillColor = 0;
    std::string content; // text shown, data encoded, or picture path
    std::string mark;    // the element's data mark
    ElementFont font;
    std::int32_t textColor = 0;
    ElementImage image;
    bool deleted = false; // the editor's; never stored in a file

    friend bool operator==(const TemplateElement&, const TemplateElement&) = default;
};

struct Template {
    PageSettings page;
    std::vector<TemplateElement> elements; // printing order: later ones print over earlier ones

    friend bool operator==(const Template&, const Template&) = default;
};

// Empties the template: page settings all zero, no printer name, no elements.
void clearTemplate(Template& tpl);

std::int32_t elementCount(const Template& tpl);

} // namespace tav::tpl
