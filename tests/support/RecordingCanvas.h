// A canvas that draws nothing and writes down every operation as a line of text, for tests that
// check exactly what the renderer asks of a device: which pen, which coordinates, which font.
#pragma once

#include "platform/Canvas.h"

#include <string>
#include <vector>

namespace tav::test {

class RecordingCanvas final : public platform::Canvas {
public:
    // Text is measured with a fixed metric so that recordings do not depend on installed fonts:
    // each byte is half an em wide (a double-byte character one em), and a line is 5/4 em high.
    static platform::TextExtent fixedExtent(std::size_t bytes, std::int32_t emHeight);

    void setPen(const platform::Pen& pen) override;
    void setBrush(const platform::Brush& brush) override;
    void setFont(const platform::Font& font) override;
    void setTextColor(platform::ColorRef color) override;
    void drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
    void drawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       std::int32_t cornerWidth, std::int32_t cornerHeight) override;
    void drawEllipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                     bool filled) override;
    platform::TextExtent measureText(std::string_view text) override;
    void drawText(std::int32_t x, std::int32_t y, std::string_view text) override;
    void drawImage(const platform::DecodedImage& image, std::int32_t left, std::int32_t top,
                   std::int32_t right, std::int32_t bottom) override;

    const std::vector<std::string>& operations() const { return m_operations; }
    void clear() { m_operations.clear(); }

private:
    std::vector<std::string> m_operations;
    platform::Font m_font;
};

} // namespace tav::test
