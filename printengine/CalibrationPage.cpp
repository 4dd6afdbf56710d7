#include "printengine/CalibrationPage.h"

#include "platform/Charset.h"

#include <algorithm>

namespace tav::engine {
namespace {

using tpl::ElementKind;

tpl::TemplateElement element(ElementKind kind, std::int32_t x, std::int32_t y, std::int32_t w,
                             std::int32_t h, std::int32_t penWidth) {
    tpl::TemplateElement e;
    e.kind = static_cast<std::int32_t>(kind);
    e.box = {x, y, w, h};
    e.penWidth = penWidth;
    e.fillColor = 0xFFFFFF;
    return e;
}

// A line from (x, y) of extent w x h: a diagonal of no width or height is a straight line that
// starts exactly at its box's corner.
tpl::TemplateElement line(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    return element(ElementKind::DiagonalDown, x, y, w, h, 2);
}

tpl::TemplateElement text(std::int32_t x, std::int32_t y, std::int32_t width,
                          const std::string& utf8, std::int32_t size) {
    tpl::TemplateElement e = element(ElementKind::Text, x, y, width, size * 2, 0);
    e.content = platform::utf8ToGbkReplacing(utf8);
    e.font.faceName = "\xBA\xDA\xCC\xE5"; // 黑体
    e.font.size = size;
    return e;
}

// The tick at millimetre `mm`: longer every 5 and every 10 mm.
std::int32_t tickLength(std::int32_t mm) {
    return mm % 10 == 0 ? 40 : mm % 5 == 0 ? 25 : 15;
}

} // namespace

tpl::Template calibrationPage(std::int32_t paperWidth, std::int32_t paperHeight,
                              const std::string& queue, int dpi) {
    tpl::Template tpl;
    tpl.page.paperWidth = paperWidth;
    tpl.page.paperHeight = paperHeight;
    tpl.page.orientation = 1;
    tpl.page.paperColor = 0xFFFFFF;
    tpl.page.printScale = 96;
    tpl.page.zoom = 1.0f;
    auto& out = tpl.elements;
    constexpr std::int32_t kNumberWidth = 40;
    for (std::int32_t mm = 0; mm * 10 < paperWidth; ++mm) {
        out.push_back(line(mm * 10, 0, 0, tickLength(mm)));
        if (mm > 0 && mm % 10 == 0 && mm * 10 + 5 + kNumberWidth <= paperWidth)
            out.push_back(text(mm * 10 + 5, 42, kNumberWidth, std::to_string(mm), 12));
    }
    for (std::int32_t mm = 1; mm * 10 < paperHeight; ++mm) {
        out.push_back(line(0, mm * 10, tickLength(mm), 0));
        if (mm % 10 == 0 && mm * 10 + 29 <= paperHeight)
            out.push_back(text(42, mm * 10 + 5, kNumberWidth, std::to_string(mm), 12));
    }
    out.push_back(element(ElementKind::RectOutline, kCalibrationSquareAt, kCalibrationSquareAt,
                          kCalibrationSquareSide, kCalibrationSquareSide, 3));
    const std::int32_t right = kCalibrationSquareAt + kCalibrationSquareSide + 30;
    const std::int32_t width = std::max<std::int32_t>(paperWidth - right, 1);
    out.push_back(text(right, kCalibrationSquareAt, width, queue, 20));
    out.push_back(text(right, kCalibrationSquareAt + 60, width, std::to_string(dpi) + " dpi", 20));
    out.push_back(text(right, kCalibrationSquareAt + 120, width, "50 mm", 20));
    return tpl;
}

} // namespace tav::engine
