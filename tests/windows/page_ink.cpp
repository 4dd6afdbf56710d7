// Where each element of a template puts its ink, drawn by this system's page canvas: GDI into
// a memory bitmap on Windows, cairo into a picture elsewhere. Each element is drawn alone on
// an empty page and the box around its ink is printed, one line per element:
//   ELEMENT KIND LEFT TOP RIGHT BOTTOM [bold]   (pixels, inclusive; "none" when it left no
//                                              ink; "bold" after text in a bold font)
// so that the two backends' pages can be compared element by element. A pixel is ink when one
// of its channels is below three quarters: the rasterisers smooth edges to different greys, and
// the strokes of small text are often lighter than half.
// Usage: page_ink TEMPLATE.tav DPI [PAGE.ppm]   (PAGE.ppm: the whole page, for barcode readers)
#include "platform/ImageCodec.h"
#include "printengine/PageRenderer.h"
#include "template/TemplateReader.h"

#ifdef _WIN32
#include "platform/win32/GdiBitmap.h"
#else
#include "platform/PageCanvas.h"
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tav;

struct Page {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb; // 0x00RRGGBB from the top-left
};

std::optional<Page> draw(const tpl::Template& tpl, int dpi) {
    engine::RenderOptions options;
    options.deviceDpiY = dpi;
    options.screenDpi = engine::kStandardScreenDpi;
    Page page;
#ifdef _WIN32
    auto bitmap =
        platform::win32::GdiBitmap::create(tpl.page.paperWidth, tpl.page.paperHeight, dpi);
    if (!bitmap)
        return std::nullopt;
    const engine::RenderStatus rendered = engine::renderTemplate(tpl, bitmap->canvas(), options);
    if (!rendered || !bitmap->canvas().intact()) {
        std::fprintf(stderr, "page_ink: %s\n", rendered.error().c_str());
        return std::nullopt;
    }
    page.width = bitmap->width();
    page.height = bitmap->height();
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x)
            page.rgb.push_back(bitmap->pixel(x, y));
#else
    auto canvas = platform::createImageCanvas(tpl.page.paperWidth, tpl.page.paperHeight, dpi);
    if (!canvas)
        return std::nullopt;
    const engine::RenderStatus rendered = engine::renderTemplate(tpl, *canvas, options);
    if (!rendered) {
        std::fprintf(stderr, "page_ink: %s\n", rendered.error().c_str());
        return std::nullopt;
    }
    const std::vector<std::uint8_t> png = canvas->finish();
    auto image = platform::decodeImage(png, std::uint64_t{1} << 32);
    if (!image)
        return std::nullopt;
    page.width = image->width;
    page.height = image->height;
    for (std::uint32_t p : platform::argbPixels(*image))
        page.rgb.push_back(p & 0xFFFFFF);
#endif
    return page;
}

bool ink(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) < 192 || ((rgb >> 8) & 0xFF) < 192 || (rgb & 0xFF) < 192;
}

bool writePpm(const Page& page, const char* path) {
    std::FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    std::fprintf(out, "P6\n%d %d\n255\n", page.width, page.height);
    std::vector<unsigned char> bytes;
    bytes.reserve(page.rgb.size() * 3);
    for (std::uint32_t p : page.rgb) {
        bytes.push_back(static_cast<unsigned char>(p >> 16));
        bytes.push_back(static_cast<unsigned char>(p >> 8));
        bytes.push_back(static_cast<unsigned char>(p));
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: page_ink TEMPLATE.tav DPI [PAGE.ppm]\n");
        return 2;
    }
    const int dpi = std::atoi(argv[2]);
    tpl::Template tpl;
    const tpl::ReadOutcome read = tpl::readTemplateFile(argv[1], tpl::ReaderVariant::Engine, tpl);
    if (!read.ok() || dpi <= 0) {
        std::fprintf(stderr, "page_ink: %s: %s\n", argv[1], tpl::toString(read.code()));
        return 1;
    }
    if (argc == 4) {
        const auto whole = draw(tpl, dpi);
        if (!whole || !writePpm(*whole, argv[3]))
            return 1;
    }
    for (std::size_t i = 0; i < tpl.elements.size(); ++i) {
        tpl::Template alone = tpl;
        alone.elements = {tpl.elements[i]};
        const auto page = draw(alone, dpi);
        if (!page)
            return 1;
        int left = page->width, top = page->height, right = -1, bottom = -1;
        for (int y = 0; y < page->height; ++y)
            for (int x = 0; x < page->width; ++x)
                if (ink(page->rgb[static_cast<std::size_t>(y) * page->width + x])) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        const bool bold =
            tpl.elements[i].kind == static_cast<std::int32_t>(tpl::ElementKind::Text) &&
            tpl.elements[i].font.bold;
        if (right < 0)
            std::printf("%zu %d none\n", i + 1, tpl.elements[i].kind);
        else
            std::printf("%zu %d %d %d %d %d%s\n", i + 1, tpl.elements[i].kind, left, top, right,
                        bottom, bold ? " bold" : "");
    }
    return 0;
}
