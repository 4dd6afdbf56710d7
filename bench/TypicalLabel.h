// The label the engine benchmarks print: a name, a price, a Code 128, a QR code, a frame and a
// line, on 60 x 40 mm, its marks filled anew for every label as a batch does.
#pragma once

#include "template/Template.h"

#include <string>

namespace tav::bench {

inline tpl::Template typicalLabel() {
    using tpl::ElementKind;
    tpl::Template tpl;
    tpl.page = {600, 400, 0, 0xFFFFFF, 96, 1.0f, ""};
    auto add = [&](ElementKind kind, int x, int y, int w, int h, const char* mark) {
        tpl::TemplateElement e;
        e.kind = static_cast<std::int32_t>(kind);
        e.box = {x, y, w, h};
        e.penWidth = 3;
        e.mark = mark;
        e.font.size = 10;
        tpl.elements.push_back(e);
    };
    add(ElementKind::RoundedRect, 10, 10, 580, 380, "");
    add(ElementKind::Text, 30, 30, 400, 50, "NAME");
    add(ElementKind::Text, 30, 90, 300, 60, "Price: {PRICE}");
    add(ElementKind::HorizontalLine, 20, 160, 560, 10, "");
    add(ElementKind::BarcodeImage, 40, 190, 330, 150, "CODE");
    add(ElementKind::QrCodeImage, 410, 190, 160, 160, "QR");
    return tpl;
}

// The values of row `n`: 12-character codes and a 30-character QR text.
inline std::string rowCode(std::size_t n) {
    std::string digits = std::to_string(100000 + n % 900000);
    return "SF" + std::string(10 - digits.size(), '0') + digits;
}
inline std::string rowQr(std::size_t n) {
    return "https://example.com/t/" + rowCode(n).substr(2, 8);
}

} // namespace tav::bench
