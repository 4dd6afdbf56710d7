// Canvases that produce a finished page: a PDF document for printing and a PNG picture for
// previews. Both draw in tenths of a millimetre from the top-left corner of the paper, and both
// know the resolution of the device that will show the page, so that the thinnest line and
// whole-pixel pen widths come out as they would on that device.
#pragma once

#include "platform/Canvas.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tav::platform {

class PageCanvas : public Canvas {
public:
    // The resolution of the device the page is meant for, in dots per inch.
    virtual int dpi() const = 0;
    // Ends the current page and starts an empty one of the same size, for documents of one
    // label per page. False when the canvas holds a single page only (pictures) or has finished.
    virtual bool newPage() = 0;
    // Ends the document and returns its bytes: a PDF of every page, or a PNG of the page. Empty
    // when drawing failed on the way (the document would be incomplete) or when called twice.
    // Drawing after finish() does nothing.
    virtual std::vector<std::uint8_t> finish() = 0;
};

// Pages larger than this many pixels are refused by createImageCanvas (an A3 page at 1200 dpi
// is about 280 million pixels; 1.1 GB of memory).
inline constexpr std::uint64_t kMaxCanvasPixels = 300'000'000;

// A PDF document whose pages are paperWidth x paperHeight tenths of a millimetre, for a printer
// of `dpi` dots per inch. Nothing when a size or the resolution is not positive.
std::unique_ptr<PageCanvas> createPdfCanvas(std::int32_t paperWidth, std::int32_t paperHeight,
                                            int dpi);

// Receives a document's bytes in order; false stops the document (finish() then fails).
using PdfByteSink = std::function<bool(std::span<const std::uint8_t>)>;

// A PDF document like createPdfCanvas's whose bytes are handed to `sink` in blocks while pages
// are drawn, so that a document of many pages never has to fit in memory. finish() returns the
// last bytes, not yet handed on (never empty when the document was finished); nothing when it
// failed.
std::unique_ptr<PageCanvas> createStreamedPdfCanvas(std::int32_t paperWidth,
                                                    std::int32_t paperHeight, int dpi,
                                                    PdfByteSink sink);

// A picture of the page at `dpi` dots per inch, on white paper, finished as PNG. Nothing when a
// size or the resolution is not positive, or the picture would exceed kMaxCanvasPixels or
// 32767 pixels on a side.
std::unique_ptr<PageCanvas> createImageCanvas(std::int32_t paperWidth, std::int32_t paperHeight,
                                              int dpi);

// Pixels that belong to the caller: `height` rows of `width` 32-bit words, `stride` bytes apart,
// each word 0xXXRRGGBB in the machine's byte order, the top byte unused (cairo's RGB24, Qt's
// Format_RGB32): opaque pixels, as on the pictures of createImageCanvas, so that both give the
// same pixels.
struct PixelTarget {
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// A canvas that draws over `target` (nothing is cleared first): the page is drawn at
// `pixelsPerUnit` pixels per tenth of a millimetre, and the target's top-left pixel is the page's
// pixel (originX, originY), so a window onto a large page draws only the part it shows. `dpi` is
// the resolution the page is shown at, for pen widths. The pixels are complete when the canvas
// is destroyed. Nothing when the target or a scale is unusable.
std::unique_ptr<Canvas> createPixelCanvas(const PixelTarget& target, double pixelsPerUnit, int dpi,
                                          int originX, int originY);

// The font family (UTF-8) that text in the face `faceName` (GBK, as templates store it) is drawn
// with, after the Windows face names have been mapped to the fonts of this system. Empty when
// no font is available at all.
std::string resolvedFontFamily(std::string_view faceName);

// Reads the system's fonts anew, so that fonts installed while the program runs are drawn with
// from the next canvas on. Without this call a change to the font folders is noticed within a
// second or so.
void reloadEngineFonts();

} // namespace tav::platform
