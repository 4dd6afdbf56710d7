// How wide and high a text element's content is in its font, so that a text element's box is
// the extent the canvas draws. The document core measures through this interface; the designer
// gives it a measurer over the canvas it draws on, tests a fixed one.
#pragma once

#include "common/Units.h"
#include "platform/Canvas.h"
#include "template/Template.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace tav::editor {

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // The unturned extent of `text` (GBK) in `font`, tenths of a millimetre, as the page renderer
    // draws it for a template of `printScale`.
    virtual platform::TextExtent measure(const tpl::ElementFont& font, std::int32_t printScale,
                                         std::string_view text) = 0;
};

// Measures on a platform canvas with the font the page renderer selects for a text element
// when it draws for a device of `deviceDpiY` and a screen of `screenDpi` (the resolutions the
// canvas's RenderOptions name; the caller asks GetDPI once, as for a page).
class CanvasTextMeasurer final : public TextMeasurer {
public:
    CanvasTextMeasurer(platform::Canvas& canvas, int screenDpi, int deviceDpiY = kUnitsPerInch)
        : m_canvas(canvas), m_screenDpi(screenDpi), m_deviceDpiY(deviceDpiY) {}
    platform::TextExtent measure(const tpl::ElementFont& font, std::int32_t printScale,
                                 std::string_view text) override;

private:
    platform::Canvas& m_canvas;
    int m_screenDpi;
    int m_deviceDpiY;
};

// The measurer documents use unless told otherwise: a cairo picture canvas, the one the canvas
// and the printed page are drawn with.
TextMeasurer& screenTextMeasurer();

} // namespace tav::editor
