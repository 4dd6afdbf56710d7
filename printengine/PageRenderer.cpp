#include "printengine/PageRenderer.h"

#include "common/Units.h"
#include "dotgauge.h"
#include "platform/ImageCodec.h"
#include "platform/Memory.h"
#include "printengine/MulDiv.h"
#include "printengine/PictureCache.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tav::engine {
namespace {

using tpl::ElementKind;

// Sums of positions and extents, truncated into the 32-bit range the canvas takes.
std::int32_t at(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

class ElementPainter {
public:
    ElementPainter(platform::Canvas& canvas, int screenDpi, int deviceDpiY, std::int32_t printScale,
                   std::int64_t originX, std::int64_t originY)
        : m_canvas(canvas), m_screenDpi(screenDpi), m_deviceDpiY(deviceDpiY),
          m_printScale(printScale), m_originX(originX), m_originY(originY) {}

    // Draws one element; `picture` is the decoded picture of a picture element.
    void paint(const tpl::TemplateElement& e, const platform::DecodedImage* picture) {
        m_canvas.setPen({e.penWidth, e.penColor});
        m_canvas.setBrush({e.fillColor});
        const std::int64_t x = m_originX + e.box.x, y = m_originY + e.box.y, w = e.box.width,
                           h = e.box.height;
        switch (static_cast<ElementKind>(e.kind)) {
        case ElementKind::RectOutline:
            m_canvas.drawLine(at(x), at(y), at(x + w), at(y));
            m_canvas.drawLine(at(x), at(y + h), at(x + w), at(y + h));
            m_canvas.drawLine(at(x), at(y), at(x), at(y + h));
            m_canvas.drawLine(at(x + w), at(y), at(x + w), at(y + h));
            return;
        case ElementKind::RectFilled:
        case ElementKind::RoundedRect:
            m_canvas.drawRoundRect(at(x), at(y), at(x + w), at(y + h), e.cornerSize, e.cornerSize);
            return;
        case ElementKind::EllipseOutline:
            m_canvas.drawEllipse(at(x), at(y), at(x + w), at(y + h), false);
            return;
        case ElementKind::EllipseFilled:
            m_canvas.drawEllipse(at(x), at(y), at(x + w), at(y + h), true);
            return;
        case ElementKind::HorizontalLine: // through the middle of the designer's line thickness
            m_canvas.drawLine(at(x), at(y + kLineCenterOffset), at(x + w),
                              at(y + kLineCenterOffset));
            return;
        case ElementKind::VerticalLine:
            m_canvas.drawLine(at(x + kLineCenterOffset), at(y), at(x + kLineCenterOffset),
                              at(y + h));
            return;
        case ElementKind::DiagonalDown:
            m_canvas.drawLine(at(x), at(y), at(x + w), at(y + h));
            return;
        case ElementKind::DiagonalUp:
            m_canvas.drawLine(at(x), at(y + h), at(x + w), at(y));
            return;
        case ElementKind::Text:
            paintText(e);
            return;
        default: // barcodes, QR codes, pictures, and any kind this program does not know
            if (picture)
                m_canvas.drawImage(*picture, at(x), at(y), at(x + w), at(y + h));
            return;
        }
    }

private:
    void paintText(const tpl::TemplateElement& e) {
        platform::Font font;
        font.faceName = e.font.faceName;
        font.height = printedTextHeight(e.font.size, m_printScale, m_screenDpi, m_deviceDpiY);
        font.escapement = escapementForAngle(e.font.angle);
        font.bold = e.font.bold;
        font.italic = e.font.italic;
        font.underline = e.font.underline;
        font.strikeout = e.font.strikeout;
        m_canvas.setFont(font);
        m_canvas.setTextColor(e.textColor);

        // The text is drawn from the top-left corner of its unturned extent; for each quarter
        // turn that corner is chosen so the turned text lies inside the element's box.
        const platform::TextExtent extent = m_canvas.measureText(e.content);
        const std::int64_t x = m_originX + e.box.x, y = m_originY + e.box.y, cx = extent.width,
                           cy = extent.height;
        std::int64_t rx = x, ry = y;
        switch (font.escapement) {
        case 2700: // a quarter turn clockwise: reads top to bottom
            rx = x + cy;
            break;
        case 1800:
            rx = x + cx;
            ry = y + cy;
            break;
        case 900: // a quarter turn counter-clockwise: reads bottom to top
            ry = y + e.box.height;
            break;
        default:
            break;
        }
        m_canvas.drawText(at(rx), at(ry), e.content);
    }

    platform::Canvas& m_canvas;
    int m_screenDpi;
    int m_deviceDpiY;
    std::int32_t m_printScale;
    std::int64_t m_originX;
    std::int64_t m_originY;
};

// Every kind that is not a shape, a line or a text is drawn from its stored picture: barcodes, QR
// codes and pictures, and also kinds this program does not know, whose picture shows what a
// newer designer drew (a page never silently leaves an element out).
bool drawsPicture(std::int32_t kind) {
    const bool shapeOrLine = kind >= static_cast<std::int32_t>(ElementKind::RectOutline) &&
                             kind <= static_cast<std::int32_t>(ElementKind::DiagonalUp);
    return !shapeOrLine && kind != static_cast<std::int32_t>(ElementKind::Text);
}

std::shared_ptr<const platform::DecodedImage> decodePicture(const tpl::SharedBytes& bytes,
                                                            PictureCache* cache) {
    if (cache)
        return cache->decode(bytes);
    auto image = platform::decodeImage(bytes.span());
    if (!image)
        return nullptr;
    return std::make_shared<const platform::DecodedImage>(std::move(*image));
}

// A page stopped by the element at `index` (from 0), named as people count (from 1).
RenderStatus elementFailure(RenderError error, std::size_t index, const std::string& why) {
    return RenderStatus::failure(error, "element " + std::to_string(index + 1) + ": " + why);
}

} // namespace

std::int32_t escapementForAngle(std::int32_t angle) {
    if (angle < 0 || angle > 3599)
        return 0;
    static constexpr std::int32_t kEscapements[] = {0, 2700, 1800, 900};
    return kEscapements[angle / 900];
}

std::int32_t printedTextHeight(std::int32_t pointSize, std::int32_t printScale,
                               std::int32_t screenDpi, std::int32_t deviceDpiY) {
    std::int32_t height;
    if (printScale <= 0) {
        // Uncalibrated template: print at the size the designer's canvas shows.
        height = mulDiv(pointSize, screenDpi, 72);
    } else {
        const std::int32_t scaled = GetPrintSize(pointSize, screenDpi, printScale);
        const std::int32_t screenHeight = -mulDiv(scaled, screenDpi, 72);
        // 339, not 254: the device's tenths of a millimetre as the templates were calibrated.
        height = deviceDpiY > 0 ? mulDiv(screenHeight, 339, deviceDpiY) : screenHeight;
    }
    height = height < 0 ? -height : height;
    return std::max<std::int32_t>(height, 1);
}

RenderStatus preparePage(const tpl::Template& tpl, const RenderOptions& options,
                         PreparedPage& page) {
    platform::keepFreedMemoryForReuse();
    page.tpl = &tpl;
    page.pictures.assign(tpl.elements.size(), nullptr);
    for (std::size_t i = 0; i < tpl.elements.size(); ++i) {
        const auto& e = tpl.elements[i];
        if (!drawsPicture(e.kind))
            continue;
        if (e.image.shown.empty()) {
            page.pictures.clear();
            return elementFailure(RenderError::NoPicture, i,
                                  "the element has no picture (its barcode, QR code or picture "
                                  "was not made)");
        }
        page.pictures[i] = decodePicture(e.image.shown, options.pictures);
        if (!page.pictures[i]) {
            page.pictures.clear();
            return elementFailure(RenderError::BadPicture, i,
                                  "the element's picture cannot be decoded");
        }
    }
    return RenderStatus::success();
}

RenderStatus checkPictures(const PreparedPage& page, const platform::Canvas& canvas) {
    for (std::size_t i = 0; i < page.pictures.size(); ++i) {
        const auto& picture = page.pictures[i];
        if (picture && !canvas.canDrawImage(*picture))
            return elementFailure(RenderError::PictureTooLarge, i,
                                  "the element's picture (" + std::to_string(picture->width) +
                                      " x " + std::to_string(picture->height) +
                                      " pixels) is larger than a page can draw");
    }
    return RenderStatus::success();
}

void drawPage(const PreparedPage& page, platform::Canvas& canvas, const RenderOptions& options) {
    const tpl::Template& tpl = *page.tpl;
    int deviceDpiY = options.deviceDpiY;
    if (options.device) {
        if (const int asked = GetPrinterDPIY(options.device); asked > 0)
            deviceDpiY = asked;
    }
    ElementPainter painter(canvas, options.screenDpi, deviceDpiY, tpl.page.printScale,
                           options.originX, options.originY);
    for (std::size_t i = 0; i < tpl.elements.size(); ++i) {
        if (!tpl.elements[i].deleted)
            painter.paint(tpl.elements[i], page.pictures[i].get());
    }
}

void prepareShownPictures(const tpl::Template& tpl, const RenderOptions& options,
                          PreparedPage& page) {
    page.tpl = &tpl;
    page.pictures.assign(tpl.elements.size(), nullptr);
    for (std::size_t i = 0; i < tpl.elements.size(); ++i) {
        const auto& e = tpl.elements[i];
        if (drawsPicture(e.kind) && !e.deleted && !e.image.shown.empty())
            page.pictures[i] = decodePicture(e.image.shown, options.pictures);
    }
}

RenderStatus renderTemplate(const tpl::Template& tpl, platform::Canvas& canvas,
                            const RenderOptions& options) {
    PreparedPage page;
    RenderStatus result = preparePage(tpl, options, page);
    if (result)
        result = checkPictures(page, canvas);
    if (result)
        drawPage(page, canvas, options);
    return result;
}

} // namespace tav::engine
