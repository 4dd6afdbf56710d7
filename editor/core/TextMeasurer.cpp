#include "editor/core/TextMeasurer.h"

#include "dotgauge.h"
#include "platform/PageCanvas.h"
#include "printengine/PageRenderer.h"

#include <mutex>

namespace tav::editor {

platform::TextExtent CanvasTextMeasurer::measure(const tpl::ElementFont& font,
                                                 std::int32_t printScale, std::string_view text) {
    // The font as the renderer selects it for the canvas, so the box is what is drawn.
    platform::Font f;
    f.faceName = font.faceName;
    f.height = engine::printedTextHeight(font.size, printScale, m_screenDpi, m_deviceDpiY);
    f.bold = font.bold;
    f.italic = font.italic;
    f.underline = font.underline;
    f.strikeout = font.strikeout;
    m_canvas.setFont(f);
    return m_canvas.measureText(text);
}

namespace {

// Measures nothing when no canvas can be made (no fonts at all): texts then get empty boxes.
class ScreenTextMeasurer final : public TextMeasurer {
public:
    platform::TextExtent measure(const tpl::ElementFont& font, std::int32_t printScale,
                                 std::string_view text) override {
        std::call_once(m_made, [this] {
            // One pixel per tenth of a millimetre: the canvas at zoom 1.0.
            m_canvas = platform::createImageCanvas(10, 10, kUnitsPerInch);
            m_screenDpi = GetDPI();
        });
        if (!m_canvas)
            return {};
        return CanvasTextMeasurer(*m_canvas, m_screenDpi).measure(font, printScale, text);
    }

private:
    std::once_flag m_made;
    std::unique_ptr<platform::PageCanvas> m_canvas;
    int m_screenDpi = 0;
};

} // namespace

TextMeasurer& screenTextMeasurer() {
    static ScreenTextMeasurer measurer;
    return measurer;
}

} // namespace tav::editor
