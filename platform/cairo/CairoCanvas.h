// A page canvas on cairo, with text laid out by pango. User units are tenths of a millimetre,
// y growing downwards; the surface behind it is a PDF document or a picture in memory.
#pragma once

#include "common/Units.h"
#include "platform/PageCanvas.h"

#include <cairo.h>
#include <pango/pango.h>

#include <memory>

namespace tav::platform {

class CairoCanvas final : public PageCanvas {
public:
    // `forward`, when given, receives the document's bytes in blocks as they are produced.
    static std::unique_ptr<CairoCanvas> createPdf(std::int32_t paperWidth, std::int32_t paperHeight,
                                                  int dpi, PdfByteSink forward);
    static std::unique_ptr<CairoCanvas> createImage(std::int32_t paperWidth,
                                                    std::int32_t paperHeight, int dpi);
    static std::unique_ptr<CairoCanvas> createOnPixels(const PixelTarget& target,
                                                       double pixelsPerUnit, int dpi, int originX,
                                                       int originY);
    ~CairoCanvas() override;
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    void setPen(const Pen& pen) override { m_pen = pen; }
    void setBrush(const Brush& brush) override { m_brush = brush; }
    void setFont(const Font& font) override;
    void setTextColor(ColorRef color) override { m_textColor = color; }

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

    int dpi() const override { return m_dpi; }
    bool newPage() override;
    std::vector<std::uint8_t> finish() override;

private:
    enum class Kind { Pdf, Image, Pixels };
    struct PdfSink;

    CairoCanvas(Kind kind, cairo_surface_t* surface, int dpi, std::unique_ptr<PdfSink> sink);

    bool usable() const;
    bool drawStencil(const DecodedImage& image, std::int32_t left, std::int32_t top,
                     std::int32_t right, std::int32_t bottom);
    double devicePixel() const {
        return m_pixelsPerUnit > 0 ? 1.0 / m_pixelsPerUnit : double(kUnitsPerInch) / m_dpi;
    }
    // Selects the pen into the context; returns the shift that puts strokes on whole device
    // pixels.
    double preparePen();
    void setSource(ColorRef color);
    void setLayoutText(std::string_view gbk);

    Kind m_kind;
    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cr = nullptr;
    std::unique_ptr<PdfSink> m_sink;
    PangoContext* m_pango = nullptr;
    PangoLayout* m_layout = nullptr;
    int m_dpi;
    // Set for a canvas over caller-owned pixels, whose scale need not be a whole dpi.
    double m_pixelsPerUnit = 0;
    // For such a canvas: the caller's pixels, where they lie on the page, and the page-sized
    // surface memory they are drawn in (see createOnPixels).
    struct Window {
        PixelTarget target;
        int originX = 0;
        int originY = 0;
        int pageStride = 0;
        std::unique_ptr<unsigned char[]> page;
        // The first of the window's pixels in row y (from the window's top) of that memory.
        unsigned char* row(int y) const {
            return page.get() + static_cast<std::size_t>(originY + y) * pageStride +
                   static_cast<std::size_t>(originX) * 4;
        }
    };
    Window m_window;
    bool m_finished = false;

    Pen m_pen;
    Brush m_brush{0xFFFFFF};
    Font m_font;
    ColorRef m_textColor = 0;
};

} // namespace tav::platform
