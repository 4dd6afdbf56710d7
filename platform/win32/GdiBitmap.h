// A page drawn through GDI into memory: a DIB section of the page's size at a given resolution,
// white to begin with, for pictures of labels and for comparing GDI's drawing with other
// backends'.
#pragma once

#include "platform/win32/GdiCanvas.h"

#include <cstdint>
#include <memory>

namespace tav::platform::win32 {

class GdiBitmap {
public:
    // Nothing when a size or the resolution is not positive or the bitmap cannot be made.
    static std::unique_ptr<GdiBitmap> create(std::int32_t paperWidth, std::int32_t paperHeight,
                                             int dpi);
    ~GdiBitmap();
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;

    GdiCanvas& canvas() { return *m_canvas; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // The pixel at (x, y) from the top-left, 0x00RRGGBB, once drawing has been flushed.
    std::uint32_t pixel(int x, int y) const;

private:
    GdiBitmap() = default;

    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    const std::uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<GdiCanvas> m_canvas;
};

} // namespace tav::platform::win32
