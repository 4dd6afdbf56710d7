#include "support/RecordingCanvas.h"

#include "platform/ImageCodec.h"

#include <cstdio>

namespace tav::test {
using namespace tav::platform;
namespace {

// Colors are written as RRGGBB, the way people read them.
std::string hex(ColorRef color) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", redOf(color), greenOf(color), blueOf(color));
    return buf;
}

std::string join(std::initializer_list<std::int64_t> values) {
    std::string out;
    for (auto v : values) {
        out += ' ';
        out += std::to_string(v);
    }
    return out;
}

} // namespace

TextExtent RecordingCanvas::fixedExtent(std::size_t bytes, std::int32_t emHeight) {
    return {static_cast<std::int32_t>(bytes * static_cast<std::size_t>(emHeight) / 2),
            emHeight + emHeight / 4};
}

void RecordingCanvas::setPen(const Pen& pen) {
    m_operations.push_back("pen" + join({pen.width}) + " " + hex(pen.color));
}

void RecordingCanvas::setBrush(const Brush& brush) {
    m_operations.push_back("brush " + hex(brush.color));
}

void RecordingCanvas::setFont(const Font& font) {
    m_font = font;
    std::string flags;
    flags += font.bold ? " bold" : "";
    flags += font.italic ? " italic" : "";
    flags += font.underline ? " underline" : "";
    flags += font.strikeout ? " strikeout" : "";
    m_operations.push_back("font '" + font.faceName + "'" + join({font.height, font.escapement}) +
                           flags);
}

void RecordingCanvas::setTextColor(ColorRef color) {
    m_operations.push_back("textcolor " + hex(color));
}

void RecordingCanvas::drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    m_operations.push_back("line" + join({x1, y1, x2, y2}));
}

void RecordingCanvas::drawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                    std::int32_t bottom, std::int32_t cornerWidth,
                                    std::int32_t cornerHeight) {
    m_operations.push_back("roundrect" +
                           join({left, top, right, bottom, cornerWidth, cornerHeight}));
}

void RecordingCanvas::drawEllipse(std::int32_t left, std::int32_t top, std::int32_t right,
                                  std::int32_t bottom, bool filled) {
    m_operations.push_back((filled ? "ellipse filled" : "ellipse outline") +
                           join({left, top, right, bottom}));
}

TextExtent RecordingCanvas::measureText(std::string_view text) {
    return fixedExtent(text.size(), m_font.height);
}

void RecordingCanvas::drawText(std::int32_t x, std::int32_t y, std::string_view text) {
    m_operations.push_back("text" + join({x, y}) + " '" + std::string(text) + "'");
}

void RecordingCanvas::drawImage(const DecodedImage& image, std::int32_t left, std::int32_t top,
                                std::int32_t right, std::int32_t bottom) {
    m_operations.push_back("image " + std::to_string(image.width) + "x" +
                           std::to_string(image.height) + (image.oneBit ? " 1-bit" : "") +
                           join({left, top, right, bottom}));
}

} // namespace tav::test
