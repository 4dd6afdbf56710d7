#include "platform/win32/GdiBitmap.h"

#include "common/Units.h"
#include "platform/PageCanvas.h"

#include <cmath>
#include <cstring>

namespace tav::platform::win32 {

std::unique_ptr<GdiBitmap> GdiBitmap::create(std::int32_t paperWidth, std::int32_t paperHeight,
                                             int dpi) {
    if (paperWidth <= 0 || paperHeight <= 0 || dpi <= 0)
        return nullptr;
    const double width = std::round(paperWidth * (dpi / double(kUnitsPerInch)));
    const double height = std::round(paperHeight * (dpi / double(kUnitsPerInch)));
    if (width < 1 || height < 1 || width > 32767 || height > 32767 ||
        width * height > static_cast<double>(kMaxCanvasPixels))
        return nullptr;
    std::unique_ptr<GdiBitmap> bitmap(new GdiBitmap());
    bitmap->m_width = static_cast<int>(width);
    bitmap->m_height = static_cast<int>(height);
    bitmap->m_dc = CreateCompatibleDC(nullptr);
    if (bitmap->m_dc == nullptr)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bitmap->m_width;
    info.bmiHeader.biHeight = -bitmap->m_height; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap->m_bitmap = CreateDIBSection(bitmap->m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap->m_bitmap == nullptr || bits == nullptr)
        return nullptr;
    std::memset(bits, 0xFF, static_cast<std::size_t>(bitmap->m_width) * bitmap->m_height * 4);
    bitmap->m_bits = static_cast<const std::uint32_t*>(bits);
    bitmap->m_previous = SelectObject(bitmap->m_dc, bitmap->m_bitmap);
    bitmap->m_canvas = std::make_unique<GdiCanvas>(bitmap->m_dc, dpi, dpi, 0, 0);
    return bitmap;
}

GdiBitmap::~GdiBitmap() {
    m_canvas.reset();
    if (m_previous != nullptr)
        SelectObject(m_dc, m_previous);
    if (m_bitmap != nullptr)
        DeleteObject(m_bitmap);
    if (m_dc != nullptr)
        DeleteDC(m_dc);
}

std::uint32_t GdiBitmap::pixel(int x, int y) const {
    GdiFlush();
    return m_bits[static_cast<std::size_t>(y) * m_width + x] & 0xFFFFFF;
}

} // namespace tav::platform::win32
