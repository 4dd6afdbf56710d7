#include "platform/win32/GdiCanvas.h"

#include "common/Units.h"
#include "platform/ImageCodec.h"
#include "platform/win32/WideText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tav::platform::win32 {
namespace {

// A font height of 0 asks for the device's default size; 3.5 mm is about 10 points.
constexpr std::int32_t kDefaultFontHeight = 35;
// Larger em heights only overflow the rasteriser's arithmetic; a metre is beyond any label.
constexpr std::int32_t kMaxFontHeight = 10000;
// A pen wider than a metre covers any page wherever its line lies.
constexpr std::int32_t kMaxPenWidth = 10000;
// Texts are measured and laid out with the font at this em height (tenths of a millimetre), then
// scaled: at the small sizes of labels the rasteriser rounds each character's advance to whole
// pixels, which would make a text's width depend on the device's resolution.
constexpr std::int32_t kLayoutHeight = 1000;
constexpr int kWeightNormal = 400;
constexpr int kWeightBold = 800;

// Text to draw or measure: a byte sequence that is not GBK is shown as the code page's default
// character instead of losing the whole text.
std::wstring drawnText(std::string_view gbk) {
    if (auto wide = gbkToWide(gbk))
        return *std::move(wide);
    const int length = static_cast<int>(gbk.size());
    const int needed = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(needed, 0)), L'\0');
    if (needed > 0)
        MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, wide.data(), needed);
    return wide;
}

COLORREF toColorRef(ColorRef color) {
    return RGB(redOf(color), greenOf(color), blueOf(color));
}

// A DIB of one bit per pixel with its two colors, or of 32 bits (blue, green, red, unused).
struct DibHeader {
    BITMAPINFOHEADER header{};
    RGBQUAD colors[2]{};
};

RGBQUAD quad(std::uint32_t argb) {
    return {static_cast<BYTE>(argb & 0xFF), static_cast<BYTE>((argb >> 8) & 0xFF),
            static_cast<BYTE>((argb >> 16) & 0xFF), 0};
}

bool planeUsable(const DecodedImage& image) {
    if (!image.plane || image.width <= 0 || image.height <= 0)
        return false;
    // A DIB row holds whole 32-bit words and nothing more.
    const std::size_t dibStride = (static_cast<std::size_t>(image.width) + 31) / 32 * 4;
    return image.plane->stride == dibStride &&
           image.plane->bits.size() == dibStride * static_cast<std::size_t>(image.height);
}

bool pixelsUsable(const DecodedImage& image) {
    return image.width > 0 && image.height > 0 &&
           image.argb.size() ==
               static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
}

} // namespace

GdiCanvas::GdiCanvas(HDC dc, int dpiX, int dpiY, int offsetX, int offsetY) : m_dc(dc) {
    m_savedState = SaveDC(m_dc);
    // Tenths of a millimetre as in MM_LOMETRIC, but with the scale taken from the device's
    // resolution (MM_LOMETRIC derives it from the size in whole millimetres the device reports,
    // and on a memory bitmap from the screen) and y growing downwards as on the page: with y
    // upwards, Wine turns text of an escapement the other way round than Windows does.
    check(SetMapMode(m_dc, MM_ANISOTROPIC) != 0);
    check(SetWindowExtEx(m_dc, kUnitsPerInch, kUnitsPerInch, nullptr) != 0);
    check(SetViewportExtEx(m_dc, std::max(dpiX, 1), std::max(dpiY, 1), nullptr) != 0);
    check(SetWindowOrgEx(m_dc, 0, 0, nullptr) != 0);
    check(SetViewportOrgEx(m_dc, -offsetX, -offsetY, nullptr) != 0);
    SetBkMode(m_dc, TRANSPARENT);
    SetTextAlign(m_dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    setPen(Pen{});
    setBrush(Brush{});
    setFont(Font{});
    setTextColor(0);
}

GdiCanvas::~GdiCanvas() {
    // Restoring the state selects the device context's own objects again, so that ours can go.
    if (m_savedState != 0)
        RestoreDC(m_dc, m_savedState);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(m_pen), static_cast<HGDIOBJ>(m_brush),
                           static_cast<HGDIOBJ>(m_font), static_cast<HGDIOBJ>(m_layoutFont)})
        if (object != nullptr)
            DeleteObject(object);
}

void GdiCanvas::check(bool succeeded) {
    m_intact = m_intact && succeeded;
}

void GdiCanvas::select(HGDIOBJ made, HGDIOBJ& current) {
    check(made != nullptr);
    if (made == nullptr)
        return;
    SelectObject(m_dc, made);
    if (current != nullptr)
        DeleteObject(current);
    current = made;
}

void GdiCanvas::setPen(const Pen& pen) {
    HGDIOBJ current = m_pen;
    if (pen.width <= 0) {
        // Width 0: the thinnest line the device draws, one pixel.
        select(CreatePen(PS_SOLID, 0, toColorRef(pen.color)), current);
    } else {
        LOGBRUSH brush{BS_SOLID, toColorRef(pen.color), 0};
        select(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                            static_cast<DWORD>(std::min(pen.width, kMaxPenWidth)), &brush, 0,
                            nullptr),
               current);
    }
    m_pen = static_cast<HPEN>(current);
}

void GdiCanvas::setBrush(const Brush& brush) {
    HGDIOBJ current = m_brush;
    select(CreateSolidBrush(toColorRef(brush.color)), current);
    m_brush = static_cast<HBRUSH>(current);
}

void GdiCanvas::setFont(const Font& font) {
    std::int64_t height = std::abs(std::int64_t{font.height});
    height = height == 0 ? kDefaultFontHeight : std::min<std::int64_t>(height, kMaxFontHeight);
    LOGFONTW description{};
    description.lfHeight = -static_cast<LONG>(height); // negative: the em height
    description.lfEscapement = font.escapement;
    description.lfOrientation = font.escapement;
    description.lfWeight = font.bold ? kWeightBold : kWeightNormal;
    description.lfItalic = font.italic ? TRUE : FALSE;
    description.lfUnderline = font.underline ? TRUE : FALSE;
    description.lfStrikeOut = font.strikeout ? TRUE : FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_TT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = ANTIALIASED_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring face = drawnText(font.faceName);
    const std::size_t kept = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(face.begin(), kept, description.lfFaceName);
    description.lfFaceName[kept] = L'\0';
    HGDIOBJ current = m_font;
    select(CreateFontIndirectW(&description), current);
    m_font = static_cast<HFONT>(current);

    description.lfHeight = -kLayoutHeight;
    description.lfEscapement = description.lfOrientation = 0;
    if (m_layoutFont != nullptr)
        DeleteObject(m_layoutFont);
    m_layoutFont = CreateFontIndirectW(&description);
    m_layoutScale = static_cast<double>(height) / kLayoutHeight;
}

bool GdiCanvas::layOut(const std::wstring& text, std::vector<INT>* advances, SIZE& size) {
    if (m_layoutFont == nullptr)
        return false;
    SelectObject(m_dc, m_layoutFont);
    std::vector<INT> ends(advances ? text.size() : 0);
    const bool measured =
        GetTextExtentExPointW(m_dc, text.c_str(), static_cast<int>(text.size()), 0, nullptr,
                              advances ? ends.data() : nullptr, &size) != 0;
    SelectObject(m_dc, m_font);
    if (!measured)
        return false;
    size.cx = static_cast<LONG>(std::lround(size.cx * m_layoutScale));
    size.cy = static_cast<LONG>(std::lround(size.cy * m_layoutScale));
    if (advances) {
        // Each character starts where the scaled layout puts it, rounded once, so that the
        // roundings do not add up along the text.
        advances->resize(text.size());
        long previous = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const long end = std::lround(ends[i] * m_layoutScale);
            (*advances)[i] = static_cast<INT>(end - previous);
            previous = end;
        }
    }
    return true;
}

void GdiCanvas::setTextColor(ColorRef color) {
    SetTextColor(m_dc, toColorRef(color));
}

void GdiCanvas::drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    if (x1 == x2 && y1 == y2)
        return;
    check(MoveToEx(m_dc, x1, y1, nullptr) != 0);
    check(LineTo(m_dc, x2, y2) != 0);
}

void GdiCanvas::drawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom, std::int32_t cornerWidth,
                              std::int32_t cornerHeight) {
    const std::int32_t l = std::min(left, right);
    const std::int32_t r = std::max(left, right);
    const std::int32_t t = std::min(top, bottom);
    const std::int32_t b = std::max(top, bottom);
    // The corner ellipse cannot be larger than the rectangle.
    const std::int32_t w = std::min(std::abs(cornerWidth), r - l);
    const std::int32_t h = std::min(std::abs(cornerHeight), b - t);
    if (w <= 0 || h <= 0)
        check(Rectangle(m_dc, l, t, r, b) != 0);
    else
        check(RoundRect(m_dc, l, t, r, b, w, h) != 0);
}

void GdiCanvas::drawEllipse(std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom, bool filled) {
    if (left == right || top == bottom) {
        // A flat ellipse is the segment between its ends.
        drawLine(left, top, right, bottom);
        return;
    }
    HGDIOBJ brush = filled ? nullptr : SelectObject(m_dc, GetStockObject(NULL_BRUSH));
    check(Ellipse(m_dc, left, top, right, bottom) != 0);
    if (brush != nullptr)
        SelectObject(m_dc, brush);
}

TextExtent GdiCanvas::measureText(std::string_view text) {
    const std::wstring wide = drawnText(text);
    SIZE size{};
    if (!layOut(wide, nullptr, size) &&
        !GetTextExtentPoint32W(m_dc, wide.c_str(), static_cast<int>(wide.size()), &size))
        return {};
    return {std::abs(static_cast<std::int32_t>(size.cx)),
            std::abs(static_cast<std::int32_t>(size.cy))};
}

void GdiCanvas::drawText(std::int32_t x, std::int32_t y, std::string_view text) {
    const std::wstring wide = drawnText(text);
    if (wide.empty())
        return;
    std::vector<INT> advances;
    SIZE size{};
    if (layOut(wide, &advances, size))
        check(ExtTextOutW(m_dc, x, y, 0, nullptr, wide.c_str(), static_cast<UINT>(wide.size()),
                          advances.data()) != 0);
    else
        check(TextOutW(m_dc, x, y, wide.c_str(), static_cast<int>(wide.size())) != 0);
}

bool GdiCanvas::canDrawImage(const DecodedImage& image) const {
    return planeUsable(image) || pixelsUsable(image) || (image.plane && !argbPixels(image).empty());
}

void GdiCanvas::drawImage(const DecodedImage& image, std::int32_t left, std::int32_t top,
                          std::int32_t right, std::int32_t bottom) {
    if (left == right || top == bottom)
        return;
    DibHeader dib;
    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = image.width;
    dib.header.biHeight = -image.height; // rows from the top
    dib.header.biPlanes = 1;
    dib.header.biCompression = BI_RGB;
    const void* bits = nullptr;
    std::vector<std::uint32_t> pixels;
    if (planeUsable(image)) {
        dib.header.biBitCount = 1;
        dib.header.biClrUsed = 2;
        dib.colors[0] = quad(image.plane->colors[0]);
        dib.colors[1] = quad(image.plane->colors[1]);
        bits = image.plane->bits.data();
    } else {
        dib.header.biBitCount = 32;
        if (pixelsUsable(image) && !image.hasAlpha) {
            // 0xAARRGGBB words are blue, green, red, alpha in memory: a 32-bit DIB as it is.
            bits = image.argb.data();
        } else {
            pixels = argbPixels(image);
            if (pixels.size() !=
                static_cast<std::size_t>(std::max(image.width, 0)) * std::max(image.height, 0))
                return;
            // GDI draws no transparency: transparent parts show the white paper.
            for (std::uint32_t& p : pixels) {
                const std::uint32_t a = p >> 24;
                auto over = [a](std::uint32_t c) { return (c * a + 255 * (255 - a) + 127) / 255; };
                p = over((p >> 16) & 0xFF) << 16 | over((p >> 8) & 0xFF) << 8 | over(p & 0xFF);
            }
            bits = pixels.data();
        }
    }
    if (image.width <= 0 || image.height <= 0 || bits == nullptr)
        return;

    // Stretched in device pixels, so that a negative extent (a mirrored box) mirrors the
    // picture whatever the mapping.
    POINT corners[2] = {{left, top}, {right, bottom}};
    check(LPtoDP(m_dc, corners, 2) != 0);
    SaveDC(m_dc);
    SetMapMode(m_dc, MM_TEXT);
    SetWindowOrgEx(m_dc, 0, 0, nullptr);
    SetViewportOrgEx(m_dc, 0, 0, nullptr);
    if (image.oneBit) {
        // Barcode and QR modules keep hard edges: each device pixel takes one picture pixel.
        SetStretchBltMode(m_dc, COLORONCOLOR);
    } else {
        SetStretchBltMode(m_dc, HALFTONE);
        SetBrushOrgEx(m_dc, 0, 0, nullptr); // HALFTONE needs the brush origin set after it
    }
    const int copied =
        StretchDIBits(m_dc, corners[0].x, corners[0].y, corners[1].x - corners[0].x,
                      corners[1].y - corners[0].y, 0, 0, image.width, image.height, bits,
                      reinterpret_cast<const BITMAPINFO*>(&dib), DIB_RGB_COLORS, SRCCOPY);
    check(copied != 0 && copied != static_cast<int>(GDI_ERROR));
    RestoreDC(m_dc, -1);
}

} // namespace tav::platform::win32
