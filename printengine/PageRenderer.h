// Draws a template onto a canvas: every element in element order, later ones over earlier ones,
// in tenths of a millimetre from an origin that is the top-left corner of the page unless the
// options move it (to a printer's printable area). The print job, tavprint render, the
// designer's canvas and its print preview all draw through this one function.
#pragma once

#include "common/Status.h"
#include "platform/Canvas.h"
#include "template/Template.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tav::platform {
struct DecodedImage;
}

namespace tav::engine {

class PictureCache;

// The screen resolution templates are laid out at when the caller has no screen to ask.
inline constexpr int kStandardScreenDpi = 96;

// Everything a page is drawn with besides the template: the renderer reads nothing else.
struct RenderOptions {
    // The vertical resolution of the device drawn on, dots per inch. Font heights are converted
    // with it (see printedTextHeight).
    int deviceDpiY = 300;
    // The device drawn on, when it is registered (platform/Device.h): its resolution is asked
    // through GetPrinterDPIY, as callers of libdotgauge see it, and replaces deviceDpiY.
    void* device = nullptr;
    // Where the template's (0, 0) lies on the page, in tenths of a millimetre from the paper's
    // top-left corner: a printer's unprintable margin and its calibration. Every element moves
    // by it.
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    // Decoded pictures kept from earlier pages (batches); none: every picture is decoded.
    PictureCache* pictures = nullptr;
    // The resolution of the screen the template's point sizes are calibrated against, dots per
    // inch. Callers ask for it once (GetDPI) per print, render or batch, not per page.
    int screenDpi = kStandardScreenDpi;
};

// Why a page cannot be finished.
enum class RenderError {
    None,
    NoPicture,       // a picture element's barcode, QR code or picture was not made
    BadPicture,      // its picture cannot be decoded
    PictureTooLarge, // its picture is larger than the page can draw
};

// The outcome of preparing or drawing a page. A failure's text names the element that stopped
// the page, counted from 1, and why: "element 2: the element's picture cannot be decoded".
using RenderStatus = BasicStatus<RenderError>;

// A page ready to be drawn: the template and its decoded pictures (null for other elements).
struct PreparedPage {
    const tpl::Template* tpl = nullptr;
    std::vector<std::shared_ptr<const platform::DecodedImage>> pictures;
};

// Decodes every picture of `tpl`. When one is empty or cannot be decoded the result says which
// element it was, and the page must not be drawn.
RenderStatus preparePage(const tpl::Template& tpl, const RenderOptions& options,
                         PreparedPage& page);

// Whether `canvas` can draw every picture of a prepared page; when it cannot, the result says
// which element it was, and a page to be printed must not be drawn.
RenderStatus checkPictures(const PreparedPage& page, const platform::Canvas& canvas);

// Decodes the pictures of `tpl` that can be decoded, for a page that is shown while it is being
// designed: an element whose picture is missing or broken gets none and shows nothing inside
// its box, and the rest of the page is still drawn.
void prepareShownPictures(const tpl::Template& tpl, const RenderOptions& options,
                          PreparedPage& page);

// Draws a prepared page: every element in element order. Elements the designer has deleted
// (kept in its list until the document is saved) are not drawn.
void drawPage(const PreparedPage& page, platform::Canvas& canvas, const RenderOptions& options);

// preparePage and checkPictures, then drawPage when both succeeded: nothing is drawn of a page
// that cannot be finished.
RenderStatus renderTemplate(const tpl::Template& tpl, platform::Canvas& canvas,
                            const RenderOptions& options);

// The character height, in tenths of a millimetre, at which a text of `pointSize` points is
// printed on a device of `deviceDpiY`, for the template's `printScale` and the screen's
// resolution. With a print scale of 0 or below (every new document) the text prints at the
// size the designer's canvas shows it.
std::int32_t printedTextHeight(std::int32_t pointSize, std::int32_t printScale,
                               std::int32_t screenDpi, std::int32_t deviceDpiY);

// The font escapement (tenths of a degree counter-clockwise) for a text angle (tenths of a
// degree clockwise); angles between the quarter turns fall back to the one below, angles
// outside 0..3599 give none.
std::int32_t escapementForAngle(std::int32_t angle);

} // namespace tav::engine
