// The canvas on a Windows device context (a printer's page or a memory bitmap) through GDI.
// Coordinates are the page's own, tenths of a millimetre from the paper's top-left corner, y
// growing downwards; the scale is set from the device's resolution so that a tenth of a
// millimetre is exactly dpi / 254 pixels.
#pragma once

#include "platform/Canvas.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tav::platform::win32 {

class GdiCanvas : public Canvas {
public:
    // Draws on `dc`, which stays the caller's. The device has dpiX x dpiY dots per inch, and the
    // paper's top-left corner lies at device pixel (-offsetX, -offsetY): a printer's device
    // context starts at its printable area, PHYSICALOFFSETX/Y pixels into the paper.
    GdiCanvas(HDC dc, int dpiX, int dpiY, int offsetX, int offsetY);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    void setPen(const Pen& pen) override;
    void setBrush(const Brush& brush) override;
    void setFont(const Font& font) override;
    void setTextColor(ColorRef color) override;
    void drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
    void drawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       std::int32_t cornerWidth, std::int32_t cornerHeight) override;
    void drawEllipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                     bool filled) override;
    TextExtent measureText(std::string_view text) override;
    void drawText(std::int32_t x, std::int32_t y, std::string_view text) override;
    void drawImage(const DecodedImage& image, std::int32_t left, std::int32_t top,
                   std::int32_t right, std::int32_t bottom) override;
    bool canDrawImage(const DecodedImage& image) const override;

    // False once a GDI call failed: the page is incomplete and must not be printed.
    bool intact() const { return m_intact; }

private:
    void select(HGDIOBJ made, HGDIOBJ& current);
    void check(bool succeeded);
    // The extent of `text` in the current font, and where each character begins relative to
    // the one before (logical units), from the layout font scaled to the current height.
    bool layOut(const std::wstring& text, std::vector<INT>* advances, SIZE& size);

    HDC m_dc;
    int m_savedState = 0;
    HPEN m_pen = nullptr;
    HBRUSH m_brush = nullptr;
    HFONT m_font = nullptr;
    HFONT m_layoutFont = nullptr; // the current font at kLayoutHeight, unturned
    double m_layoutScale = 1.0;
    bool m_intact = true;
};

} // namespace tav::platform::win32
