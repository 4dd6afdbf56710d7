#include "platform/cairo/CairoCanvas.h"

#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <optional>

#include "platform/Charset.h"
#include "platform/ImageCodec.h"
#include "platform/cairo/FontMap.h"
#include "platform/cairo/OneBitStencil.h"

#include <cairo-pdf.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace tav::platform {

namespace {

constexpr double kPointsPerUnit = 72.0 / kUnitsPerInch; // PDF points per tenth of a millimetre
constexpr int kMaxSurfaceSide = 32767;                  // cairo's limit for image surfaces
// A font height of 0 asks for the device's default size; 3.5 mm is about 10 points.
constexpr std::int32_t kDefaultFontHeight = 35;
// Larger em heights only overflow pango's integer arithmetic; a metre is beyond any label.
constexpr std::int32_t kMaxFontHeight = 10000;

// An arc of the ellipse centered on (cx, cy) with radii rx and ry, both positive.
void ellipticalArc(cairo_t* cr, double cx, double cy, double rx, double ry, double from,
                   double to) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, from, to);
    cairo_restore(cr);
}

void roundRectPath(cairo_t* cr, double l, double t, double r, double b, double rx, double ry) {
    cairo_new_path(cr);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, l, t, r - l, b - t);
        return;
    }
    constexpr double pi = std::numbers::pi;
    ellipticalArc(cr, r - rx, t + ry, rx, ry, -pi / 2, 0);
    ellipticalArc(cr, r - rx, b - ry, rx, ry, 0, pi / 2);
    ellipticalArc(cr, l + rx, b - ry, rx, ry, pi / 2, pi);
    ellipticalArc(cr, l + rx, t + ry, rx, ry, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void ellipsePath(cairo_t* cr, double l, double t, double r, double b) {
    cairo_new_path(cr);
    if (r - l <= 0 || b - t <= 0) {
        // A flat ellipse is the segment between its ends; scaling by zero would put the cairo
        // context into a lasting error state.
        cairo_move_to(cr, l, t);
        cairo_line_to(cr, r, b);
        return;
    }
    double rx = (r - l) / 2;
    double ry = (b - t) / 2;
    cairo_new_sub_path(cr);
    ellipticalArc(cr, l + rx, t + ry, rx, ry, 0, 2 * std::numbers::pi);
    cairo_close_path(cr);
}

cairo_status_t appendToVector(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// GBK text as pango takes it. A NUL byte cannot reach pango inside valid UTF-8 text, so it is
// shown as U+FFFD like any other byte that is not text.
std::string layoutText(std::string_view gbk) {
    std::string utf8 = gbkToUtf8(gbk);
    if (utf8.find('\0') == std::string::npos) {
        return utf8;
    }
    std::string out;
    out.reserve(utf8.size() + 8);
    for (char c : utf8) {
        if (c == '\0') {
            out += "\xEF\xBF\xBD";
        } else {
            out += c;
        }
    }
    return out;
}

// The pixels of `image` as a cairo surface (premultiplied); null for an inconsistent image.
cairo_surface_t* imageSurface(const DecodedImage& image) {
    // A picture held as a one-bit plane is expanded here, for the devices that need colors.
    std::vector<std::uint32_t> expanded;
    if (image.argb.empty() && image.plane &&
        image.plane->bits.size() ==
            image.plane->stride * static_cast<std::size_t>(std::max(image.height, 0)) &&
        image.plane->stride >= static_cast<std::size_t>(std::max(image.width, 0) + 7) / 8)
        expanded = argbPixels(image);
    const std::vector<std::uint32_t>& pixels = expanded.empty() ? image.argb : expanded;
    if (image.width <= 0 || image.height <= 0 || image.width > kMaxSurfaceSide ||
        image.height > kMaxSurfaceSide ||
        pixels.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
        return nullptr;
    }
    cairo_format_t format = image.hasAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    cairo_surface_t* surface = cairo_image_surface_create(format, image.width, image.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    const std::uint32_t* in = pixels.data();
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t p = *in++;
            if (!image.hasAlpha) {
                row[x] = p | 0xFF000000u;
                continue;
            }
            std::uint32_t a = p >> 24;
            auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            row[x] = (a << 24) | (premultiply((p >> 16) & 0xFF) << 16) |
                     (premultiply((p >> 8) & 0xFF) << 8) | premultiply(p & 0xFF);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

} // namespace

// Where the PDF's bytes go: kept in memory, or, for a document streamed to a sink, handed on
// in blocks as cairo produces them, so memory stays flat however many pages a batch has.
struct CairoCanvas::PdfSink {
    static constexpr std::size_t kBlock = 256 * 1024;

    std::vector<std::uint8_t> bytes;
    PdfByteSink forward;
    bool failed = false;

    static cairo_status_t write(void* closure, const unsigned char* data, unsigned int length) {
        auto* sink = static_cast<PdfSink*>(closure);
        if (sink->failed)
            return CAIRO_STATUS_WRITE_ERROR;
        sink->bytes.insert(sink->bytes.end(), data, data + length);
        if (sink->forward && sink->bytes.size() >= kBlock) {
            if (!sink->forward(sink->bytes)) {
                sink->failed = true;
                return CAIRO_STATUS_WRITE_ERROR;
            }
            sink->bytes.clear();
        }
        return CAIRO_STATUS_SUCCESS;
    }
};

std::unique_ptr<CairoCanvas> CairoCanvas::createPdf(std::int32_t paperWidth,
                                                    std::int32_t paperHeight, int dpi,
                                                    PdfByteSink forward) {
    if (paperWidth <= 0 || paperHeight <= 0 || dpi <= 0) {
        return nullptr;
    }
    auto sink = std::make_unique<PdfSink>();
    sink->forward = std::move(forward);
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(
        PdfSink::write, sink.get(), paperWidth * kPointsPerUnit, paperHeight * kPointsPerUnit);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    auto canvas =
        std::unique_ptr<CairoCanvas>(new CairoCanvas(Kind::Pdf, surface, dpi, std::move(sink)));
    cairo_scale(canvas->m_cr, kPointsPerUnit, kPointsPerUnit);
    return canvas->usable() ? std::move(canvas) : nullptr;
}

std::unique_ptr<CairoCanvas> CairoCanvas::createImage(std::int32_t paperWidth,
                                                      std::int32_t paperHeight, int dpi) {
    if (paperWidth <= 0 || paperHeight <= 0 || dpi <= 0) {
        return nullptr;
    }
    double scale = double(dpi) / kUnitsPerInch;
    double width = std::round(paperWidth * scale);
    double height = std::round(paperHeight * scale);
    if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        width * height > static_cast<double>(kMaxCanvasPixels)) {
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(
        CAIRO_FORMAT_RGB24, static_cast<int>(width), static_cast<int>(height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    auto canvas = std::unique_ptr<CairoCanvas>(new CairoCanvas(Kind::Image, surface, dpi, nullptr));
    cairo_t* cr = canvas->m_cr;
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, scale, scale);
    return canvas->usable() ? std::move(canvas) : nullptr;
}

std::unique_ptr<CairoCanvas> CairoCanvas::createOnPixels(const PixelTarget& target,
                                                         double pixelsPerUnit, int dpi, int originX,
                                                         int originY) {
    if (target.pixels == nullptr || target.width <= 0 || target.height <= 0 ||
        target.stride < cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, target.width) ||
        !(pixelsPerUnit > 0) || dpi <= 0 || originX < 0 || originY < 0 ||
        originX > kMaxSurfaceSide - target.width || originY > kMaxSurfaceSide - target.height) {
        return nullptr;
    }
    // The page is drawn on a surface that starts at the page's top-left corner, clipped to the
    // window. With a shifted origin instead, every device coordinate would be computed with
    // other roundings, and texts would land a pixel off here and there. Only the window's part
    // of that surface is ever touched (memory of this size is mapped lazily); it is copied in
    // here and back when the canvas is destroyed.
    const int pageWidth = originX + target.width;
    const int pageHeight = originY + target.height;
    const int pageStride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, pageWidth);
    std::unique_ptr<unsigned char[]> page(
        new (std::nothrow) unsigned char[static_cast<std::size_t>(pageStride) * pageHeight]);
    if (!page) {
        return nullptr;
    }
    Window window{target, originX, originY, pageStride, std::move(page)};
    for (int y = 0; y < target.height; ++y) {
        std::memcpy(window.row(y), target.pixels + static_cast<std::size_t>(y) * target.stride,
                    static_cast<std::size_t>(target.width) * 4);
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        window.page.get(), CAIRO_FORMAT_RGB24, pageWidth, pageHeight, pageStride);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    auto canvas =
        std::unique_ptr<CairoCanvas>(new CairoCanvas(Kind::Pixels, surface, dpi, nullptr));
    canvas->m_pixelsPerUnit = pixelsPerUnit;
    canvas->m_window = std::move(window);
    cairo_rectangle(canvas->m_cr, originX, originY, target.width, target.height);
    cairo_clip(canvas->m_cr);
    cairo_scale(canvas->m_cr, pixelsPerUnit, pixelsPerUnit);
    return canvas->usable() ? std::move(canvas) : nullptr;
}

CairoCanvas::CairoCanvas(Kind kind, cairo_surface_t* surface, int dpi,
                         std::unique_ptr<PdfSink> sink)
    : m_kind(kind), m_surface(surface), m_cr(cairo_create(surface)), m_sink(std::move(sink)),
      m_dpi(dpi) {
    cairo_set_line_cap(m_cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_ROUND);

    m_pango = pango_font_map_create_context(engineFontMap());
    // Unhinted metrics and unrounded glyph positions make text scale exactly with the page, so
    // that a measured extent holds at every resolution and on every device.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(m_pango, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(m_pango, FALSE);
    m_layout = pango_layout_new(m_pango);
    // One line whatever the text holds, as the text is drawn on one line.
    pango_layout_set_single_paragraph_mode(m_layout, TRUE);
    setFont(m_font);
}

CairoCanvas::~CairoCanvas() {
    if (m_layout != nullptr) {
        g_object_unref(m_layout);
    }
    if (m_pango != nullptr) {
        g_object_unref(m_pango);
    }
    cairo_destroy(m_cr);
    if (m_kind == Kind::Pixels && m_window.page) {
        cairo_surface_flush(m_surface);
        const PixelTarget& t = m_window.target;
        for (int y = 0; y < t.height; ++y) {
            std::memcpy(t.pixels + static_cast<std::size_t>(y) * t.stride, m_window.row(y),
                        static_cast<std::size_t>(t.width) * 4);
        }
    }
    cairo_surface_destroy(m_surface);
}

bool CairoCanvas::usable() const {
    return !m_finished && cairo_status(m_cr) == CAIRO_STATUS_SUCCESS;
}

double CairoCanvas::preparePen() {
    // Like a printer, the pen is a whole number of device pixels wide, at least one; width 0 is
    // the thinnest line the device draws. A line of an odd number of pixels is centered on a
    // pixel's middle, so that a line at y covers the pixel row y and not half of two rows.
    // A width from a damaged file may be anything: half of a line twice the largest side a page
    // has already covers the page wherever the line lies, so wider shows nothing more.
    double pixels = m_pen.width <= 0      ? 1.0
                    : m_pixelsPerUnit > 0 ? std::round(double(m_pen.width) * m_pixelsPerUnit)
                                          : std::round(double(m_pen.width) * m_dpi / kUnitsPerInch);
    pixels = std::clamp(pixels, 1.0, 2.0 * kMaxSurfaceSide);
    cairo_set_line_width(m_cr, pixels * devicePixel());
    setSource(m_pen.color);
    return std::fmod(pixels, 2.0) == 1.0 ? devicePixel() / 2 : 0.0;
}

void CairoCanvas::setSource(ColorRef color) {
    cairo_set_source_rgb(m_cr, redOf(color) / 255.0, greenOf(color) / 255.0, blueOf(color) / 255.0);
}

void CairoCanvas::setFont(const Font& font) {
    m_font = font;
    // A negative height is the em height too, as Windows reads it.
    std::int64_t height = std::abs(std::int64_t{font.height});
    height = height == 0 ? kDefaultFontHeight : std::min<std::int64_t>(height, kMaxFontHeight);

    PangoFontDescription* description = pango_font_description_new();
    std::string face = layoutText(font.faceName);
    pango_font_description_set_family(description, face.empty() ? "sans-serif" : face.c_str());
    pango_font_description_set_absolute_size(description, double(height) * PANGO_SCALE);
    pango_font_description_set_weight(description,
                                      font.bold ? PANGO_WEIGHT_ULTRABOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description,
                                     font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(m_layout, description);
    pango_font_description_free(description);

    PangoAttrList* attributes = pango_attr_list_new();
    if (font.underline) {
        pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    }
    if (font.strikeout) {
        pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
    }
    pango_layout_set_attributes(m_layout, attributes);
    pango_attr_list_unref(attributes);
}

void CairoCanvas::drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    // A line of no length draws nothing, as on Windows, where the last point is not drawn.
    if (!usable() || (x1 == x2 && y1 == y2)) {
        return;
    }
    double shift = preparePen();
    cairo_new_path(m_cr);
    cairo_move_to(m_cr, x1 + shift, y1 + shift);
    cairo_line_to(m_cr, x2 + shift, y2 + shift);
    cairo_stroke(m_cr);
}

void CairoCanvas::drawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                std::int32_t bottom, std::int32_t cornerWidth,
                                std::int32_t cornerHeight) {
    if (!usable()) {
        return;
    }
    double l = std::min(left, right);
    double r = std::max(left, right);
    double t = std::min(top, bottom);
    double b = std::max(top, bottom);
    // The corner ellipse cannot be larger than the rectangle.
    double rx = std::min(std::abs(double(cornerWidth)), r - l) / 2;
    double ry = std::min(std::abs(double(cornerHeight)), b - t) / 2;

    roundRectPath(m_cr, l, t, r, b, rx, ry);
    setSource(m_brush.color);
    cairo_fill(m_cr);

    double shift = preparePen();
    roundRectPath(m_cr, l + shift, t + shift, r + shift, b + shift, rx, ry);
    cairo_stroke(m_cr);
}

void CairoCanvas::drawEllipse(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom, bool filled) {
    if (!usable()) {
        return;
    }
    double l = std::min(left, right);
    double r = std::max(left, right);
    double t = std::min(top, bottom);
    double b = std::max(top, bottom);
    if (filled) {
        ellipsePath(m_cr, l, t, r, b);
        setSource(m_brush.color);
        cairo_fill(m_cr);
    }
    double shift = preparePen();
    ellipsePath(m_cr, l + shift, t + shift, r + shift, b + shift);
    cairo_stroke(m_cr);
}

void CairoCanvas::setLayoutText(std::string_view gbk) {
    std::string text = layoutText(gbk);
    pango_layout_set_text(m_layout, text.data(), static_cast<int>(text.size()));
}

TextExtent CairoCanvas::measureText(std::string_view text) {
    setLayoutText(text);
    PangoRectangle logical;
    pango_layout_get_extents(m_layout, nullptr, &logical);
    return {static_cast<std::int32_t>(std::lround(double(logical.width) / PANGO_SCALE)),
            static_cast<std::int32_t>(std::lround(double(logical.height) / PANGO_SCALE))};
}

void CairoCanvas::drawText(std::int32_t x, std::int32_t y, std::string_view text) {
    if (!usable() || text.empty()) {
        return;
    }
    setLayoutText(text);
    cairo_save(m_cr);
    cairo_translate(m_cr, x, y);
    // Counter-clockwise on the page is a negative angle while y grows downwards.
    cairo_rotate(m_cr, -m_font.escapement * std::numbers::pi / 1800.0);
    cairo_new_path(m_cr);
    cairo_move_to(m_cr, 0, 0);
    setSource(m_textColor);
    // The layout is not updated to the context's transformation: pango then takes underline
    // and strike-out positions in device units, which misplaces them on every page scaled
    // other than one pixel per tenth of a millimetre (PDF). Without hinting the glyph outlines
    // do not depend on it, and the text is drawn exactly as it was measured.
    pango_cairo_show_layout(m_cr, m_layout);
    cairo_restore(m_cr);
}

// A two-color picture on a PDF page: its box filled with the background color, then the ink
// through a one-bit mask of one bit per module (see OneBitStencil.h).
bool CairoCanvas::drawStencil(const DecodedImage& image, std::int32_t left, std::int32_t top,
                              std::int32_t right, std::int32_t bottom) {
    const auto stencil = makeStencil(image);
    if (!stencil)
        return false;
    auto setColor = [&](std::uint32_t argb) {
        cairo_set_source_rgb(m_cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                             (argb & 0xFF) / 255.0);
    };
    cairo_save(m_cr);
    cairo_translate(m_cr, left, top);
    cairo_scale(m_cr, double(right - left) / image.width, double(bottom - top) / image.height);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    setColor(stencil->background);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, 0, 0, image.width, image.height);
    cairo_fill(m_cr);
    if (stencil->mask != nullptr) {
        setColor(stencil->ink);
        cairo_translate(m_cr, stencil->x, stencil->y);
        cairo_scale(m_cr, stencil->moduleWidth, stencil->moduleHeight);
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(stencil->mask);
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
        cairo_mask(m_cr, pattern);
        cairo_pattern_destroy(pattern);
    }
    cairo_restore(m_cr);
    return true;
}

bool CairoCanvas::canDrawImage(const DecodedImage& image) const {
    if (image.width > 0 && image.height > 0 && image.width <= kMaxSurfaceSide &&
        image.height <= kMaxSurfaceSide)
        return true;
    // A larger two-color picture reaches a PDF page as a stencil of one bit per module, which
    // holds as many modules as a surface holds pixels (a barcode of up to 32,767 modules).
    return m_kind == Kind::Pdf && image.oneBit && makeStencil(image).has_value();
}

void CairoCanvas::drawImage(const DecodedImage& image, std::int32_t left, std::int32_t top,
                            std::int32_t right, std::int32_t bottom) {
    if (!usable() || left == right || top == bottom) {
        return;
    }
    if (m_kind == Kind::Pdf && image.oneBit && drawStencil(image, left, top, right, bottom)) {
        return;
    }
    cairo_surface_t* pixels = imageSurface(image);
    if (pixels == nullptr) {
        return;
    }
    cairo_save(m_cr);
    // A negative extent scales by a negative factor, which mirrors the picture in its box.
    cairo_translate(m_cr, left, top);
    cairo_scale(m_cr, double(right - left) / image.width, double(bottom - top) / image.height);
    cairo_set_source_surface(m_cr, pixels, 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(m_cr);
    if (image.oneBit) {
        // Barcode and QR modules keep hard edges: each device pixel takes the color of one
        // picture pixel (in PDF the image is marked not to be interpolated), and on a picture
        // the box edges snap to whole pixels instead of blending into grey.
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
        cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    } else {
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    }
    // On a picture the edge pixels are repeated outwards so that filtering does not fade the
    // box edges; PDF draws an image exactly into its box by itself.
    cairo_pattern_set_extend(pattern, m_kind == Kind::Pdf ? CAIRO_EXTEND_NONE : CAIRO_EXTEND_PAD);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, 0, 0, image.width, image.height);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
    cairo_surface_destroy(pixels);
}

bool CairoCanvas::newPage() {
    if (m_kind != Kind::Pdf || !usable()) {
        return false;
    }
    cairo_show_page(m_cr);
    return cairo_status(m_cr) == CAIRO_STATUS_SUCCESS;
}

std::vector<std::uint8_t> CairoCanvas::finish() {
    if (!usable()) {
        m_finished = true;
        return {};
    }
    m_finished = true;
    std::vector<std::uint8_t> bytes;
    if (m_kind == Kind::Pdf) {
        // cairo drops a last page that nothing was drawn on; ending it here keeps a blank
        // label of a batch.
        cairo_show_page(m_cr);
        cairo_surface_finish(m_surface);
        if (cairo_status(m_cr) != CAIRO_STATUS_SUCCESS ||
            cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS || m_sink->failed) {
            return {};
        }
        bytes = std::move(m_sink->bytes); // for a streamed document: the part not yet handed on
    } else if (m_kind == Kind::Image) {
        cairo_surface_flush(m_surface);
        if (cairo_surface_write_to_png_stream(m_surface, appendToVector, &bytes) !=
            CAIRO_STATUS_SUCCESS) {
            return {};
        }
    }
    return bytes;
}

std::unique_ptr<PageCanvas> createPdfCanvas(std::int32_t paperWidth, std::int32_t paperHeight,
                                            int dpi) {
    return CairoCanvas::createPdf(paperWidth, paperHeight, dpi, {});
}

std::unique_ptr<PageCanvas> createStreamedPdfCanvas(std::int32_t paperWidth,
                                                    std::int32_t paperHeight, int dpi,
                                                    PdfByteSink sink) {
    if (!sink)
        return nullptr;
    return CairoCanvas::createPdf(paperWidth, paperHeight, dpi, std::move(sink));
}

std::unique_ptr<PageCanvas> createImageCanvas(std::int32_t paperWidth, std::int32_t paperHeight,
                                              int dpi) {
    return CairoCanvas::createImage(paperWidth, paperHeight, dpi);
}

std::unique_ptr<Canvas> createPixelCanvas(const PixelTarget& target, double pixelsPerUnit, int dpi,
                                          int originX, int originY) {
    return CairoCanvas::createOnPixels(target, pixelsPerUnit, dpi, originX, originY);
}

std::string resolvedFontFamily(std::string_view faceName) {
    PangoFontMap* map = engineFontMap();
    PangoContext* context = pango_font_map_create_context(map);
    PangoFontDescription* description = pango_font_description_new();
    std::string face = layoutText(faceName);
    pango_font_description_set_family(description, face.empty() ? "sans-serif" : face.c_str());
    pango_font_description_set_absolute_size(description, 100.0 * PANGO_SCALE);
    std::string family;
    if (PangoFont* font = pango_font_map_load_font(map, context, description)) {
        PangoFontDescription* loaded = pango_font_describe(font);
        if (const char* name = pango_font_description_get_family(loaded)) {
            family = name;
        }
        pango_font_description_free(loaded);
        g_object_unref(font);
    }
    pango_font_description_free(description);
    g_object_unref(context);
    return family;
}

} // namespace tav::platform
